#include "model/results.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "base/number_text.h"

namespace tce {

SavingClass SavingClassOf(Fixed4 pct) {
  if (pct < Fixed4::FromInt(20)) return SavingClass::kLow;
  if (pct < Fixed4::FromInt(50)) return SavingClass::kMedium;
  return SavingClass::kHigh;
}

double TableEstimate::SavedPct() const { return std::floor(pct.ToDouble()); }

std::array<std::string, 7> ResultsHeaderTexts(const MessageTable& messages,
                                              SizeUnit unit) {
  const bool pages = unit == SizeUnit::kPages;
  return {messages[66],
          messages[65],
          messages[63],
          messages[pages ? 71 : 60],
          messages[pages ? 72 : 61],
          messages[62],
          messages[73]};
}

std::string ResultsHeaderLine(const MessageTable& messages, SizeUnit unit,
                              std::string_view delimiter, bool leading) {
  std::string line = leading ? std::string(delimiter) : std::string();
  const std::array<std::string, 7> texts = ResultsHeaderTexts(messages, unit);
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) line += delimiter;
    line += texts[i];
  }
  return line;
}

double CellValue(const TableEstimate& table, int col) {
  switch (col) {
    case 3:
      return table.row_count.ToDouble();
    case 4:
      return table.size;
    case 5:
      return table.compressed;
    case 6:
      return table.SavedPct();
    case 7:
      return table.page_size;
    default:
      return 0;
  }
}

std::string GridCellText(const TableEstimate& table, int col) {
  switch (col) {
    case 1:
      return table.owner;
    case 2:
      return table.table;
    case 3:
      return WithLeadingBlank(table.row_count.ToText());
    default:
      return col >= 4 && col <= 7
                 ? WithLeadingBlank(FormatNumber(CellValue(table, col)))
                 : std::string();
  }
}

namespace {

// The bytes of one unit of a table's sizes.
double BytesPerUnit(const TableEstimate& table, SizeUnit unit) {
  return unit == SizeUnit::kPages ? static_cast<double>(table.page_size)
                                  : 1024.0;
}

}  // namespace

double SizeInBytes(const TableEstimate& table, SizeUnit unit) {
  return table.size * BytesPerUnit(table, unit);
}

double CompressedInBytes(const TableEstimate& table, SizeUnit unit) {
  return table.compressed * BytesPerUnit(table, unit);
}

ResultTotals TotalsOf(const ResultSet& results) {
  ResultTotals totals;
  totals.tables = results.tables.size();
  for (const TableEstimate& table : results.tables) {
    if (!table.HasStatistics()) continue;
    totals.size_bytes += SizeInBytes(table, results.unit);
    totals.compressed_bytes += CompressedInBytes(table, results.unit);
  }
  if (totals.size_bytes > 0) {
    totals.saved_pct = (totals.size_bytes - totals.compressed_bytes) * 100.0 /
                       totals.size_bytes;
  }
  return totals;
}

std::string HumanBytes(double bytes) {
  if (!std::isfinite(bytes) || bytes < 0) bytes = 0;
  if (bytes < 1024) {
    return FormatNumber(std::floor(bytes)) + (bytes == 1 ? " byte" : " bytes");
  }
  return ScaledWithUnit(bytes, 1024.0, {"kB", "MB", "GB", "TB"});
}

std::string TotalsLine(const ResultTotals& totals) {
  char saved[32];
  std::snprintf(saved, sizeof saved, "%.0f", totals.saved_pct);
  return std::to_string(totals.tables) +
         (totals.tables == 1 ? " table listed: " : " tables listed: ") +
         HumanBytes(totals.size_bytes) + ", " +
         HumanBytes(totals.compressed_bytes) + " compressed, " + saved +
         " % saved";
}

std::string BasisSummary(const TableEstimate& table) {
  const StatisticsBasis& b = table.basis;
  if (!table.HasStatistics()) {
    return "No statistics for this table (its row count is 0 or less): no "
           "sizes are estimated, and its variable-length columns count at "
           "their declared maximum. Updating its statistics gives an "
           "estimate.";
  }
  std::string text = std::to_string(b.columns) +
                     (b.columns == 1 ? " column: " : " columns: ") +
                     std::to_string(b.full) + " full, " +
                     std::to_string(b.sampled) + " sampled, " +
                     std::to_string(b.none) + " without a distribution";
  if (b.none > 0) {
    text +=
        "\nColumns without a distribution count every row as distinct, "
        "so the saving shown may be too low.";
  }
  return text;
}

ResultsGrid::ResultsGrid() : results_(std::make_shared<ResultSet>()) {}

void ResultsGrid::Show(std::shared_ptr<const ResultSet> results) {
  results_ = results ? std::move(results) : std::make_shared<ResultSet>();
  order_.resize(results_->tables.size());
  std::iota(order_.begin(), order_.end(), 0);
  marks_.assign(order_.size(), false);
  sort_column_ = 0;
  sort_descending_ = false;
  NotifyReset();
}

const TableEstimate& ResultsGrid::Row(int row) const {
  return results_->tables[static_cast<size_t>(order_[row - 1])];
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
  const std::vector<TableEstimate>& tables = results_->tables;
  std::vector<size_t> positions(order_.size());
  std::iota(positions.begin(), positions.end(), 0);
  auto less = [&](size_t a, size_t b) {
    const TableEstimate& x = tables[static_cast<size_t>(order_[a])];
    const TableEstimate& y = tables[static_cast<size_t>(order_[b])];
    if (col <= 2) {
      const std::string& p = col == 1 ? x.owner : x.table;
      const std::string& q = col == 1 ? y.owner : y.table;
      return sort_descending_ ? q < p : p < q;
    }
    const double p = CellValue(x, col);
    const double q = CellValue(y, col);
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
