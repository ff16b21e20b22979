#include "model/run_record.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/number_text.h"

namespace tce {

SavingClass SavingClassOf(Fixed4 pct) {
  if (pct < Fixed4::FromInt(20)) return SavingClass::kLow;
  if (pct < Fixed4::FromInt(50)) return SavingClass::kMedium;
  return SavingClass::kHigh;
}

Fixed4 TableRecord::Pct(Method method) const {
  // A saving is a share of the table: never below nothing, never above all.
  return std::clamp(SavingOf(row_length, compressed_length[method]), Fixed4(),
                    Fixed4::FromInt(100));
}

double TableRecord::SizeBytes() const {
  if (!HasStatistics()) return 0;
  return pages_used.ToDouble() * page_size;
}

double TableRecord::CompressedBytes(Method method) const {
  return SizeBytes() * (100.0 - Pct(method).ToDouble()) / 100.0;
}

double TableRecord::SavedPct(Method method) const {
  return std::floor(Pct(method).ToDouble());
}

Shown Shown::By(const RunSettings& settings) {
  return {settings.EstimatePageCompression ? Method::kPage : Method::kRow,
          settings.ShowPageSavings ? SizeUnit::kPages : SizeUnit::kKilobytes};
}

std::array<std::string, 7> ResultsHeaderTexts(const MessageTable& messages,
                                              SizeUnit unit) {
  const bool pages = unit == SizeUnit::kPages;
  return {messages[Msg::kSchema],
          messages[Msg::kTable],
          messages[Msg::kCount],
          messages[pages ? Msg::kPages : Msg::kSizeK],
          messages[pages ? Msg::kCompPages : Msg::kCompK],
          messages[Msg::kSaved],
          messages[Msg::kPageSize]};
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

double ShownSize(const TableRecord& table, SizeUnit unit) {
  if (!table.HasStatistics()) return 0;
  if (unit == SizeUnit::kPages) return table.pages_used.ToDouble();
  return std::floor(table.row_length.ToDouble() *
                    (table.row_count.ToDouble() / 1024.0));
}

double ShownCompressed(const TableRecord& table, Shown shown) {
  if (!table.HasStatistics()) return 0;
  const double size = ShownSize(table, shown.unit);
  double compressed = 0;
  if (shown.unit == SizeUnit::kPages) {
    compressed = std::floor((100.0 - table.Pct(shown.method).ToDouble()) *
                            (table.pages_used.ToDouble() / 100.0));
  } else {
    compressed =
        std::floor(table.compressed_length[shown.method].ToDouble() *
                   (table.row_count.ToDouble() / 1024.0));
  }
  if (compressed == 0 && size > 0) compressed = 1;
  return std::min(compressed, size);
}

double CellValue(const TableRecord& table, Shown shown, int col) {
  switch (col) {
    case kCountCol:
      return table.row_count.ToDouble();
    case kSizeCol:
      return ShownSize(table, shown.unit);
    case kCompressedCol:
      return ShownCompressed(table, shown);
    case kSavedCol:
      return table.SavedPct(shown.method);
    case kPageSizeCol:
      return table.page_size;
    default:
      return 0;
  }
}

std::string GridCellText(const TableRecord& table, Shown shown, int col) {
  switch (col) {
    case kOwnerCol:
      return table.owner;
    case kTableCol:
      return table.table;
    case kCountCol:
      return WithLeadingBlank(table.row_count.ToText());
    default:
      return col >= kSizeCol && col <= kPageSizeCol
                 ? WithLeadingBlank(FormatNumber(CellValue(table, shown, col)))
                 : std::string();
  }
}

double BytesPerUnit(const TableRecord& table, SizeUnit unit) {
  return unit == SizeUnit::kPages ? static_cast<double>(table.page_size)
                                  : 1024.0;
}

ResultTotals TotalsOf(const RunRecord& record) {
  const Shown shown = record.shown();
  ResultTotals totals;
  totals.complete = record.complete;
  totals.tables = record.listed.size();
  for (size_t i = 0; i < record.listed.size(); ++i) {
    const TableRecord& table = record.Listed(i);
    if (!table.HasStatistics()) continue;
    const double unit_bytes = BytesPerUnit(table, shown.unit);
    totals.size_bytes += ShownSize(table, shown.unit) * unit_bytes;
    totals.compressed_bytes += ShownCompressed(table, shown) * unit_bytes;
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
  return std::string(totals.complete
                         ? ""
                         : "Run incomplete (an error stopped it; Continue "
                           "runs it again): ") +
         std::to_string(totals.tables) +
         (totals.tables == 1 ? " table listed: " : " tables listed: ") +
         HumanBytes(totals.size_bytes) + ", " +
         HumanBytes(totals.compressed_bytes) + " compressed, " + saved +
         " % saved";
}

std::string BasisSummary(const TableRecord& table) {
  const StatisticsBasis& b = table.basis;
  if (!table.HasStatistics()) {
    return "No statistics for this table (its row count is 0 or less): no "
           "sizes are estimated, and its variable-length columns count at "
           "their declared maximum. Updating its statistics gives an "
           "estimate.";
  }
  std::string text = std::to_string(b.columns()) +
                     (b.columns() == 1 ? " column: " : " columns: ") +
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

}  // namespace tce
