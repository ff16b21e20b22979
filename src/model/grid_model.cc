#include "model/grid_model.h"

#include <algorithm>

namespace tce {
namespace {

constexpr int kDefaultWidthTwips = 960;

}  // namespace

GridModel::GridModel(int columns, int rows, int fixed_rows)
    : columns_(std::max(columns, 1)),
      rows_(static_cast<size_t>(std::max(rows, 0)),
            std::vector<Cell>(static_cast<size_t>(columns_))),
      fixed_rows_(fixed_rows),
      alignments_(static_cast<size_t>(columns_), ColumnAlignment::kLeft),
      widths_(static_cast<size_t>(columns_), kDefaultWidthTwips) {}

void GridModel::SetFixedRows(int rows) {
  fixed_rows_ = std::clamp(rows, 0, Rows());
  NotifyReset();
}

void GridModel::SetVisible(bool visible) {
  visible_ = visible;
  NotifyReset();
}

const GridModel::Cell& GridModel::CellAt(int row, int col) const {
  static const Cell kEmpty;
  return ValidCell(row, col) ? rows_[row][col] : kEmpty;
}

const std::string& GridModel::Text(int row, int col) const {
  return CellAt(row, col).text;
}

void GridModel::SetText(int row, int col, std::string text) {
  if (!ValidCell(row, col)) return;
  rows_[row][col].text = std::move(text);
  NotifyChanged(row, row);
}

void GridModel::AddItem(std::string_view line, int index) {
  std::vector<Cell> cells(static_cast<size_t>(columns_));
  size_t start = 0;
  for (int col = 0; col < columns_; ++col) {
    const size_t tab = line.find('\t', start);
    cells[col].text = std::string(line.substr(start, tab - start));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  if (index < 0 || index >= Rows()) {
    rows_.push_back(std::move(cells));
    NotifyAppended(Rows() - 1, 1);
  } else {
    rows_.insert(rows_.begin() + index, std::move(cells));
    NotifyReset();
  }
}

bool GridModel::RemoveItem(int row) {
  if (row < 0 || row >= Rows()) return false;
  rows_.erase(rows_.begin() + row);
  fixed_rows_ = std::min(fixed_rows_, Rows());
  NotifyReset();
  return true;
}

void GridModel::TruncateRows(int keep) {
  if (keep < 0 || keep >= Rows()) return;
  rows_.resize(static_cast<size_t>(keep));
  fixed_rows_ = std::min(fixed_rows_, Rows());
  NotifyReset();
}

void GridModel::SetCellFontName(std::string font) {
  if (!ValidCell(row_, col_)) return;
  rows_[row_][col_].font = std::move(font);
  NotifyChanged(row_, row_);
}

void GridModel::SetCellBackColor(CellColour colour) {
  if (!ValidCell(row_, col_)) return;
  rows_[row_][col_].background = colour;
  NotifyChanged(row_, row_);
}

ColumnAlignment GridModel::ColAlignment(int col) const {
  return col >= 0 && col < columns_ ? alignments_[col] : ColumnAlignment::kLeft;
}

void GridModel::SetColAlignment(int col, ColumnAlignment alignment) {
  if (col < 0 || col >= columns_) return;
  alignments_[col] = alignment;
  NotifyReset();
}

int GridModel::ColWidth(int col) const {
  return col >= 0 && col < columns_ ? widths_[col] : 0;
}

void GridModel::SetColWidth(int col, int twips) {
  if (col < 0 || col >= columns_) return;
  widths_[col] = twips;
  NotifyReset();
}

void GridModel::ReorderRows(int first, const std::vector<int>& order) {
  std::vector<std::vector<Cell>> moved;
  moved.reserve(order.size());
  for (int row : order) moved.push_back(std::move(rows_[row]));
  std::move(moved.begin(), moved.end(), rows_.begin() + first);
  NotifyReset();
}

void GridModel::AddObserver(GridObserver* observer) {
  observers_.push_back(observer);
}

void GridModel::RemoveObserver(GridObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer),
                   observers_.end());
}

void GridModel::EndBatch() {
  if (batch_depth_ > 0 && --batch_depth_ == 0 && batch_dirty_) {
    batch_dirty_ = false;
    NotifyReset();
  }
}

void GridModel::NotifyReset() {
  if (batch_depth_ > 0) {
    batch_dirty_ = true;
    return;
  }
  for (GridObserver* observer : observers_) observer->GridReset();
}

void GridModel::NotifyAppended(int first, int count) {
  if (batch_depth_ > 0) {
    batch_dirty_ = true;
    return;
  }
  for (GridObserver* observer : observers_)
    observer->GridRowsAppended(first, count);
}

void GridModel::NotifyChanged(int first, int last) {
  if (batch_depth_ > 0) {
    batch_dirty_ = true;
    return;
  }
  for (GridObserver* observer : observers_)
    observer->GridRowsChanged(first, last);
}

}  // namespace tce
