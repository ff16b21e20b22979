#include "model/results_grid.h"

#include <algorithm>

#include "model/grid_columns.h"

namespace tce {

ResultsGrid::ResultsGrid() : record_(std::make_shared<RunRecord>()) {}

void ResultsGrid::Show(std::shared_ptr<const RunRecord> record) {
  record_ = record ? std::move(record) : std::make_shared<RunRecord>();
  order_ = record_->listed;
  marks_.assign(order_.size(), false);
  sort_ = SortState();
  NotifyReset();
}

const TableRecord& ResultsGrid::Row(int row) const {
  return record_->tables[static_cast<size_t>(order_[row - 1])];
}

void ResultsGrid::TakeViewOf(const ResultsGrid& other) {
  if (&other == this || other.record_ != record_) return;
  order_ = other.order_;
  marks_ = other.marks_;
  sort_ = other.sort_;
  NotifyReset();
}

bool ResultsGrid::sort_descending() const {
  if (sort_.column <= kMarkCol) return false;
  return sort_.Descending(
      ResultsColumns()[static_cast<size_t>(sort_.column)].kind);
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
  if (col <= kMarkCol || col >= kResultColumns) return;
  sort_.SortBy(col);
  const std::vector<TableRecord>& tables = record_->tables;
  const std::vector<size_t> positions = SortedPositions(
      order_.size(), ResultsColumns()[static_cast<size_t>(col)],
      record_->shown(), sort_.reversed, [&](size_t i) -> const TableRecord& {
        return tables[static_cast<size_t>(order_[i])];
      });
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
