// One results grid: a view of a run's listed tables with its own row order
// and marks. The main window's grid and the large-results window's grid are
// two such views of the same published record.
#ifndef TCE_MODEL_RESULTS_GRID_H_
#define TCE_MODEL_RESULTS_GRID_H_

#include <algorithm>
#include <memory>
#include <span>
#include <vector>

#include "model/grid_columns.h"
#include "model/run_record.h"

namespace tce {

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

  // Shows a run's listed tables in the run's order, all unmarked.
  void Show(std::shared_ptr<const RunRecord> record);
  const RunRecord& record() const { return *record_; }
  std::shared_ptr<const RunRecord> shared_record() const { return record_; }
  Shown shown() const { return record_->shown(); }

  int RowCount() const { return static_cast<int>(order_.size()); }
  // The data rows as indexes into the record's tables, in the grid's order.
  std::span<const int32_t> order() const { return order_; }
  // Data row `row` (1 to RowCount).
  const TableRecord& Row(int row) const;
  bool Marked(int row) const;

  // Takes the order, sort and marks of another grid showing the same
  // result (the list moving between windows); another result changes
  // nothing.
  void TakeViewOf(const ResultsGrid& other);

  void ToggleMark(int row);
  void MarkAll();
  void ClearMarks();
  // Sorts the data rows by column `col` (1 to 7), stably: names ascending
  // by their bytes (case counts), numbers descending. A second sort by the
  // same column reverses the order.
  void SortBy(int col);
  // The sorted column (0: the run's order) and whether it runs descending.
  int sort_column() const { return std::max(sort_.column, 0); }
  bool sort_descending() const;

  bool visible() const { return visible_; }
  void SetVisible(bool visible);

  void AddObserver(ResultsGridObserver* observer);
  void RemoveObserver(ResultsGridObserver* observer);

 private:
  void NotifyReset();

  std::shared_ptr<const RunRecord> record_;
  std::vector<int32_t> order_;  // view row - 1 -> index into the tables
  std::vector<bool> marks_;     // by view row - 1
  SortState sort_;
  bool visible_ = true;
  std::vector<ResultsGridObserver*> observers_;
};

}  // namespace tce

#endif  // TCE_MODEL_RESULTS_GRID_H_
