// The per-column grid `TableInfo`: one line per column of the table last
// clicked, under a header that start-up writes and nothing removes.
#ifndef TCE_MODEL_DETAILS_H_
#define TCE_MODEL_DETAILS_H_

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/fixed4.h"

namespace tce {

// Where a column's cardinality came from.
enum class ColumnBasis : uint8_t {
  kFull,     // a distribution built from all rows
  kSampled,  // built from a sample of the rows
  kNone,     // no distribution, or one that cannot be read
};

struct ColumnDetail {
  std::string name;
  std::string type;
  int32_t bytes = 0;
  Fixed4 pct;
  ColumnBasis basis = ColumnBasis::kNone;
  uint64_t sample = 0;  // rows sampled, for kSampled
  Fixed4 rows;          // the table's rows
};

class DetailsModel {
 public:
  static constexpr int kColumns = 4;

  void SetHeader(int col, std::string text, int width_twips);
  const std::string& HeaderText(int col) const { return header_[col]; }
  int ColumnWidth(int col) const { return widths_[col]; }

  const std::vector<ColumnDetail>& lines() const { return lines_; }
  void SetLines(std::vector<ColumnDetail> lines);
  void Clear() { SetLines({}); }

  std::function<void()> on_change;  // redraw

 private:
  std::array<std::string, kColumns> header_;
  std::array<int, kColumns> widths_{1300, 1150, 700, 700};
  std::vector<ColumnDetail> lines_;
};

}  // namespace tce

#endif  // TCE_MODEL_DETAILS_H_
