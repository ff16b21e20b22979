// The results of an analysis run as values: one TableEstimate per listed
// table, held once in a ResultSet that no one changes after the run has
// published it. The results grids are views of it (ResultsGrid: row order,
// marks, visibility); their cell texts, the export lines, the summary and
// the JSON are all derived from the records.
#ifndef TCE_MODEL_RESULTS_H_
#define TCE_MODEL_RESULTS_H_

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/message_table.h"
#include "engine/fixed4.h"

namespace tce {

// The unit of a result's sizes: pages of the table's page size, or
// kilobytes (1024 bytes).
enum class SizeUnit : uint8_t { kPages, kKilobytes };

// The colour of the "%Saved" cell: below 20 % red, below 50 % yellow,
// otherwise green, judged on the unrounded saving.
enum class SavingClass : uint8_t { kLow, kMedium, kHigh };
SavingClass SavingClassOf(Fixed4 pct);

// How much of a table's estimate rests on real statistics.
struct StatisticsBasis {
  int32_t columns = 0;
  int32_t full = 0;     // distribution built from all rows
  int32_t sampled = 0;  // built from a sample
  int32_t none = 0;     // no distribution, or an unreadable one
};

// One listed table.
struct TableEstimate {
  std::string owner;
  std::string table;
  Fixed4 row_count;  // the catalog's; 0 or less: no statistics
  Fixed4 pages_used;
  int32_t page_size = 0;  // bytes
  double size = 0;        // in the result's unit, a whole number
  double compressed = 0;  // the same unit
  Fixed4 pct;             // the estimated saving before rounding
  StatisticsBasis basis;

  // The whole percentage shown: the largest whole number not above pct.
  double SavedPct() const;
  bool HasStatistics() const { return row_count > Fixed4(); }
};

// What one run listed.
struct ResultSet {
  SizeUnit unit = SizeUnit::kPages;
  std::vector<TableEstimate> tables;
  // False when the run failed part-way: these are the tables it completed.
  bool complete = true;
};

// The seven titled columns of a results grid (1 to 7), and the mark column.
inline constexpr int kResultColumns = 8;

// The header texts of columns 1 to 7: entries 66, 65, 63, 71 or 60, 72 or
// 61, 62 and 73 (the page headers for a result in pages).
std::array<std::string, 7> ResultsHeaderTexts(const MessageTable& messages,
                                              SizeUnit unit);
// The header as one line: `delimiter` first when `leading`, then the seven
// texts joined by it.
std::string ResultsHeaderLine(const MessageTable& messages, SizeUnit unit,
                              std::string_view delimiter, bool leading);

// The text of cell `col` (1 to 7) as the grid shows it: names as they came
// from the catalog, numbers with a leading blank unless negative.
std::string GridCellText(const TableEstimate& table, int col);
// The number a numeric column (3 to 7) sorts by.
double CellValue(const TableEstimate& table, int col);

// A table's size and compressed size in bytes, from the unit shown.
double SizeInBytes(const TableEstimate& table, SizeUnit unit);
double CompressedInBytes(const TableEstimate& table, SizeUnit unit);

// The results in sum: the tables listed, their size and compressed size in
// bytes (tables without statistics add nothing), the overall saving.
struct ResultTotals {
  size_t tables = 0;
  double size_bytes = 0;
  double compressed_bytes = 0;
  double saved_pct = 0;  // 0 when there is no size
};
ResultTotals TotalsOf(const ResultSet& results);
// "1.2 GB": bytes in kB, MB, GB or TB (of 1024), or "512 bytes".
std::string HumanBytes(double bytes);
// The totals line under the results grids: "64 tables listed: 1.2 GB,
// 0.7 GB compressed, 42 % saved".
std::string TotalsLine(const ResultTotals& totals);
// What a listed table's estimate rests on, as the grid row's tooltip.
std::string BasisSummary(const TableEstimate& table);

// Told when a grid changes.
class ResultsGridObserver {
 public:
  virtual ~ResultsGridObserver() = default;
  // Rows, their order, the header or the visibility changed.
  virtual void GridReset() = 0;
  // The marks of data rows first..last changed.
  virtual void MarksChanged(int first, int last) = 0;
};

// One results grid: a view of the published result with its own row order
// and marks. Data rows are numbered from 1, as below the header row 0.
class ResultsGrid {
 public:
  ResultsGrid();

  // Shows a result: its tables in the run's order, all unmarked.
  void Show(std::shared_ptr<const ResultSet> results);
  const ResultSet& results() const { return *results_; }
  std::shared_ptr<const ResultSet> shared_results() const { return results_; }

  int RowCount() const { return static_cast<int>(order_.size()); }
  // Data row `row` (1 to RowCount).
  const TableEstimate& Row(int row) const;
  bool Marked(int row) const;

  void ToggleMark(int row);
  void MarkAll();
  void ClearMarks();
  // Sorts the data rows by column `col` (1 to 7), stably: names ascending
  // by their bytes (case counts), numbers descending. A second sort by the
  // same column reverses the order.
  void SortBy(int col);
  // The sorted column (0: the run's order) and whether it runs descending.
  int sort_column() const { return sort_column_; }
  bool sort_descending() const { return sort_descending_; }

  bool visible() const { return visible_; }
  void SetVisible(bool visible);

  void AddObserver(ResultsGridObserver* observer);
  void RemoveObserver(ResultsGridObserver* observer);

 private:
  void NotifyReset();

  std::shared_ptr<const ResultSet> results_;
  std::vector<int32_t> order_;  // view row - 1 -> index into the tables
  std::vector<bool> marks_;     // by view row - 1
  int sort_column_ = 0;
  bool sort_descending_ = false;
  bool visible_ = true;
  std::vector<ResultsGridObserver*> observers_;
};

}  // namespace tce

#endif  // TCE_MODEL_RESULTS_H_
