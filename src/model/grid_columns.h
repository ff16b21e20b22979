// The grids described once: each is a table of column descriptions (id,
// header message, kind, alignment, least width, cell functions), and every
// grid sorts by one stable rule. The results grids, the table details and
// the plan list read their columns here; nothing else numbers a column.
#ifndef TCE_MODEL_GRID_COLUMNS_H_
#define TCE_MODEL_GRID_COLUMNS_H_

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <span>
#include <string>
#include <vector>

#include "base/message_table.h"
#include "model/details.h"
#include "model/plan.h"
#include "model/run_record.h"
#include "model/sort_state.h"

namespace tce {

enum class CellAlign : uint8_t { kLeft, kCentre, kRight };

// One column of a grid whose rows are `Row`s shown as `View` says.
template <typename Row, typename View>
struct GridColumn {
  int id;
  // The header and its tooltip (the tooltip may be 0: none).
  Msg (*header)(const View& view);
  Msg (*header_tip)(const View& view);
  CellKind kind;
  CellAlign align;
  int least_twips;  // the designed width, the least the column gets
  bool grows;       // takes spare room, up to what its content needs
  // The cell's text; a text column's name sorts by `name`, a number
  // column by `number`.
  std::string (*text)(const Row& row, const View& view);
  const std::string& (*name)(const Row& row);
  double (*number)(const Row& row, const View& view);
};

// The results grids: the mark column, then Schema, Table, Count, the size
// and compressed size (pages or kilobytes), %Saved and Page Size.
enum ResultColumn : int {
  kMarkCol = 0,
  kOwnerCol = 1,
  kTableCol = 2,
  kCountCol = 3,
  kSizeCol = 4,
  kCompressedCol = 5,
  kSavedCol = 6,
  kPageSizeCol = 7,
};
inline constexpr int kResultColumns = 8;
using ResultsColumn = GridColumn<TableRecord, Shown>;
std::span<const ResultsColumn> ResultsColumns();
// The text of cell `col` (1 to 7) as a results grid shows it: names as they
// came from the catalog, numbers with a leading blank unless negative.
std::string GridCellText(const TableRecord& table, Shown shown, int col);

// The header texts of columns 1 to 7: Schema, Table, Count, Pages or
// Size(K), Comp Pages or Comp(K), %Saved and Page Size.
std::array<std::string, 7> ResultsHeaderTexts(const MessageTable& messages,
                                              SizeUnit unit);
// The header as one line: `delimiter` first when `leading`, then the seven
// texts joined by it.
std::string ResultsHeaderLine(const MessageTable& messages, SizeUnit unit,
                              std::string_view delimiter, bool leading);

// A results cell's tooltip: what the table's estimate rests on and its
// row lengths; on %Saved also what the plan (with `rule`) recommends.
std::string ResultsCellTip(const TableRecord& table, Shown shown, int col,
                           PlanRule rule);

// A line of the plan list: the table and what the plan says of it.
struct PlanRow {
  const TableRecord& table;
  const PlanLine& line;
};
struct PlanView {};
using PlanColumn = GridColumn<PlanRow, PlanView>;
enum PlanColumnId : int {
  kPlanOwnerCol, kPlanTableCol, kPlanCountCol, kPlanSizeCol,
  kPlanRowSavedCol, kPlanPageSavedCol, kPlanAdviceCol, kPlanSavedCol
};
std::span<const PlanColumn> PlanColumns();

// The table details: Column, Type, Bytes, %Saved and Statistics.
struct DetailsView {};
using DetailsColumn = GridColumn<ColumnDetail, DetailsView>;
enum DetailsColumnId : int {
  kDetailNameCol, kDetailTypeCol, kDetailBytesCol, kDetailSavedCol,
  kDetailBasisCol
};
std::span<const DetailsColumn> DetailsColumns();

// The one sort of every grid: the positions 0..count-1 ordered stably by
// `column` of the row at each position; names ascending by their bytes,
// numbers descending, both reversed when `reversed`.
template <typename Row, typename View, typename RowAt>
std::vector<size_t> SortedPositions(size_t count,
                                    const GridColumn<Row, View>& column,
                                    const View& view, bool reversed,
                                    RowAt row_at) {
  std::vector<size_t> positions(count);
  std::iota(positions.begin(), positions.end(), 0);
  if (column.kind == CellKind::kText && column.name != nullptr) {
    std::stable_sort(positions.begin(), positions.end(),
                     [&](size_t a, size_t b) {
                       const std::string& p = column.name(row_at(a));
                       const std::string& q = column.name(row_at(b));
                       return reversed ? q < p : p < q;
                     });
  } else if (column.kind == CellKind::kNumber && column.number != nullptr) {
    std::vector<double> keys(count);
    for (size_t i = 0; i < count; ++i) keys[i] = column.number(row_at(i), view);
    std::stable_sort(positions.begin(), positions.end(),
                     [&](size_t a, size_t b) {
                       return reversed ? keys[a] < keys[b] : keys[a] > keys[b];
                     });
  }
  return positions;
}

}  // namespace tce

#endif  // TCE_MODEL_GRID_COLUMNS_H_
