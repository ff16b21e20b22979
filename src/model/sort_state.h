// The sort state of a grid: the column sorted by and whether its order is
// reversed.
#ifndef TCE_MODEL_SORT_STATE_H_
#define TCE_MODEL_SORT_STATE_H_

#include <cstdint>

namespace tce {

enum class CellKind : uint8_t {
  kMark,    // a mark box, no text
  kText,    // names: sorted ascending by their bytes (case counts)
  kNumber,  // sorted descending first
};

struct SortState {
  int column = -1;
  bool reversed = false;
  // Sorting by `col`: the first sort runs as the column's kind says, each
  // further one by the same column reverses it.
  void SortBy(int col) {
    reversed = column == col ? !reversed : false;
    column = col;
  }
  // Whether the rows run in descending order, for the header's arrow.
  bool Descending(CellKind kind) const {
    return (kind == CellKind::kNumber) != reversed;
  }
};

}  // namespace tce

#endif  // TCE_MODEL_SORT_STATE_H_
