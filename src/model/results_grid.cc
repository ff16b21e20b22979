#include "model/results_grid.h"

#include <algorithm>
#include <numeric>

namespace tce {

ResultsGrid::ResultsGrid() : record_(std::make_shared<RunRecord>()) {}

void ResultsGrid::Show(std::shared_ptr<const RunRecord> record) {
  record_ = record ? std::move(record) : std::make_shared<RunRecord>();
  order_ = record_->listed;
  marks_.assign(order_.size(), false);
  sort_column_ = 0;
  sort_descending_ = false;
  NotifyReset();
}

const TableRecord& ResultsGrid::Row(int row) const {
  return record_->tables[static_cast<size_t>(order_[row - 1])];
}

bool ResultsGrid::Marked(int row) const {
  return row >= 1 && row <= RowCount() && marks_[row - 1];
}

void ResultsGrid::ToggleMark(int row) {
  if (row < 1 || row > RowCount()) return;
  marks_[row - 1] = !marks_[row - 1];
  for (ResultsGridObserver* observer : observers_)
    observer->MarksChanged(row, row);
}

void ResultsGrid::MarkAll() {
  if (RowCount() == 0) return;
  marks_.assign(marks_.size(), true);
  for (ResultsGridObserver* observer : observers_)
    observer->MarksChanged(1, RowCount());
}

void ResultsGrid::ClearMarks() {
  if (RowCount() == 0) return;
  marks_.assign(marks_.size(), false);
  for (ResultsGridObserver* observer : observers_)
    observer->MarksChanged(1, RowCount());
}

void ResultsGrid::SortBy(int col) {
  if (col < 1 || col >= kResultColumns) return;
  // The first sort by a column runs as the column's kind says; each further
  // one reverses it.
  const bool default_descending = col >= 3;
  sort_descending_ =
      sort_column_ == col ? !sort_descending_ : default_descending;
  sort_column_ = col;
  const std::vector<TableRecord>& tables = record_->tables;
  const Shown shown = record_->shown();
  std::vector<size_t> positions(order_.size());
  std::iota(positions.begin(), positions.end(), 0);
  auto less = [&](size_t a, size_t b) {
    const TableRecord& x = tables[static_cast<size_t>(order_[a])];
    const TableRecord& y = tables[static_cast<size_t>(order_[b])];
    if (col <= 2) {
      const std::string& p = col == 1 ? x.owner : x.table;
      const std::string& q = col == 1 ? y.owner : y.table;
      return sort_descending_ ? q < p : p < q;
    }
    const double p = CellValue(x, shown, col);
    const double q = CellValue(y, shown, col);
    return sort_descending_ ? p > q : p < q;
  };
  std::stable_sort(positions.begin(), positions.end(), less);
  std::vector<int32_t> order(order_.size());
  std::vector<bool> marks(marks_.size());
  for (size_t i = 0; i < positions.size(); ++i) {
    order[i] = order_[positions[i]];
    marks[i] = marks_[positions[i]];
  }
  order_ = std::move(order);
  marks_ = std::move(marks);
  NotifyReset();
}

void ResultsGrid::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  NotifyReset();
}

void ResultsGrid::AddObserver(ResultsGridObserver* observer) {
  observers_.push_back(observer);
}

void ResultsGrid::RemoveObserver(ResultsGridObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer),
                   observers_.end());
}

void ResultsGrid::NotifyReset() {
  for (ResultsGridObserver* observer : observers_) observer->GridReset();
}

}  // namespace tce
