// The summary of the marked tables in the chart.
#include <cmath>
#include <set>

#include "actions/results_actions.h"
#include "base/number_text.h"
#include "model/figures.h"
#include "model/format.h"

namespace tce {
namespace {

// A total as a whole number, held at the ends of the 64-bit range.
int64_t SaturatingWhole(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9.2e18) return INT64_MAX;
  if (value <= -9.2e18) return INT64_MIN;
  return static_cast<int64_t>(RoundHalfEven(value));
}

}  // namespace

void ShowSummaryChart(const ResultsContext& c, const ResultsGrid& grid) {
  const Shown shown = grid.shown();
  const SizeUnit unit = shown.unit;
  int32_t marked = 0;
  double size_pages = 0, compressed_pages = 0;
  double size_bytes = 0, compressed_bytes = 0;
  std::set<int32_t> page_sizes;
  for (int row = 1; row <= grid.RowCount(); ++row) {
    if (!grid.Marked(row)) continue;
    ++marked;
    const TableRecord& table = grid.Row(row);
    if (!SummaryAddsSizes(table)) continue;
    const double size = ShownSize(table, unit);
    const double compressed = ShownCompressed(table, shown);
    size_pages += size;
    compressed_pages += compressed;
    size_bytes += size * BytesPerUnit(table, unit);
    compressed_bytes += compressed * BytesPerUnit(table, unit);
    page_sizes.insert(table.page_size);
  }
  if (marked == 0) {
    c.chart.caption = "No tables selected for summary";
    c.chart.visible = false;
    c.chart.Changed();
    return;
  }
  // Pages of different sizes cannot be added up: then the totals are shown
  // in kilobytes, and the caption says so.
  const bool in_pages = unit == SizeUnit::kPages && page_sizes.size() <= 1;
  const int64_t total_size = in_pages ? SaturatingWhole(size_pages)
                                      : SaturatingWhole(size_bytes / 1024);
  const int64_t total_compressed =
      in_pages ? SaturatingWhole(compressed_pages)
               : SaturatingWhole(compressed_bytes / 1024);
  const std::string suffix =
      in_pages ? SizeUnitSuffix(c.messages, unit) : std::string(" K");
  // With nothing to divide by, the caption keeps what it showed.
  if (size_bytes > 0) {
    c.chart.caption = "Tables: " + std::to_string(marked) +
                      "     Compression: " +
                      RatioPercentText((size_bytes - compressed_bytes) / size_bytes);
    if (unit == SizeUnit::kPages && !in_pages) {
      c.chart.caption += "     (in K: the page sizes differ)";
    }
  }
  SetBars(c.chart, "Size: " + std::to_string(total_size) + suffix,
          static_cast<double>(total_size),
          "Compressed: " + std::to_string(total_compressed) + suffix,
          static_cast<double>(total_compressed));
  c.chart.visible = true;
  c.chart.Changed();
}

}  // namespace tce
