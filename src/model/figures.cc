#include "model/figures.h"

#include <algorithm>
#include <cmath>

#include "base/number_text.h"

namespace tce {

bool HasStatistics(const TableRecord& table) {
  return table.row_count > Fixed4();
}

bool CaptionSaysNoStatistics(const TableRecord& table) {
  return table.row_count < Fixed4();
}

bool SummaryAddsSizes(const TableRecord& table) {
  return RoundHalfEven(table.row_count.ToDouble()) > 0;
}

double AllocatedBytes(const TableRecord& table) {
  return std::max(0.0, table.pages_used.ToDouble()) *
         std::max(0, table.page_size);
}

double EstimatedBytes(const TableRecord& table) {
  return HasStatistics(table) ? AllocatedBytes(table) : 0;
}

double RowBytes(const TableRecord& table) {
  if (!HasStatistics(table)) return 0;
  return table.row_length.ToDouble() * table.row_count.ToDouble();
}

double CompressedRowBytes(const TableRecord& table, Method method) {
  if (!HasStatistics(table)) return 0;
  return table.compressed_length[method].ToDouble() *
         table.row_count.ToDouble();
}

Fixed4 SavedPct(const TableRecord& table, Method method) {
  // A saving is a share of the table: never below nothing, never above all.
  return std::clamp(SavingOf(table.row_length, table.compressed_length[method]),
                    Fixed4(), Fixed4::FromInt(100));
}

double SavedWholePct(const TableRecord& table, Method method) {
  return std::floor(SavedPct(table, method).ToDouble());
}

double CompressedBytes(const TableRecord& table, Method method) {
  return EstimatedBytes(table) * (100.0 - SavedPct(table, method).ToDouble()) /
         100.0;
}

double SavedBytes(const TableRecord& table, Method method) {
  return EstimatedBytes(table) - CompressedBytes(table, method);
}

bool ReachesMinimum(const TableRecord& table, const RunSettings& settings) {
  return SavedPct(table, Shown::By(settings).method) >=
         Fixed4::FromInt(settings.MinCompressionPct);
}

double ShownSize(const TableRecord& table, SizeUnit unit) {
  if (!HasStatistics(table)) return 0;
  if (unit == SizeUnit::kPages) return table.pages_used.ToDouble();
  // As the grid has always computed it: the row length times the rows in
  // kilobytes, floored.
  return std::floor(table.row_length.ToDouble() *
                    (table.row_count.ToDouble() / 1024.0));
}

double ShownCompressed(const TableRecord& table, Shown shown) {
  if (!HasStatistics(table)) return 0;
  const double size = ShownSize(table, shown.unit);
  double compressed = 0;
  if (shown.unit == SizeUnit::kPages) {
    compressed =
        std::floor((100.0 - SavedPct(table, shown.method).ToDouble()) *
                   (table.pages_used.ToDouble() / 100.0));
  } else {
    compressed =
        std::floor(table.compressed_length[shown.method].ToDouble() *
                   (table.row_count.ToDouble() / 1024.0));
  }
  if (compressed == 0 && size > 0) compressed = 1;
  return std::min(compressed, size);
}

double BytesPerUnit(const TableRecord& table, SizeUnit unit) {
  return unit == SizeUnit::kPages ? static_cast<double>(table.page_size)
                                  : 1024.0;
}

double ShownSizeBytes(const TableRecord& table, SizeUnit unit) {
  return ShownSize(table, unit) * BytesPerUnit(table, unit);
}

double ShownCompressedBytes(const TableRecord& table, Shown shown) {
  return ShownCompressed(table, shown) * BytesPerUnit(table, shown.unit);
}

}  // namespace tce
