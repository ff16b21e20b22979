// A table of a results grid in detail: its chart, its columns read again
// from the catalog, and how its estimate is made.
#include "actions/results_actions.h"
#include "analysis/table_columns.h"
#include "model/explain.h"
#include "model/figures.h"
#include "model/views.h"
#include "base/number_text.h"

namespace tce {

void SetBars(ChartModel& chart, std::string size_label, double size,
             std::string compressed_label, double compressed) {
  chart.size_label = std::move(size_label);
  chart.size_value = size;
  chart.compressed_label = std::move(compressed_label);
  chart.compressed_value = compressed;
}

void ShowTableDetails(const ResultsContext& c, const ResultsGrid& grid, int row,
                      int col) {
  if (col == 0 || row < 1 || row > grid.RowCount()) return;
  const TableRecord& shown = grid.Row(row);
  const Shown how = grid.shown();
  const std::string unit = SizeUnitSuffix(c.messages, how.unit);
  if (CaptionSaysNoStatistics(shown)) {
    c.chart.caption = shown.table + " " + c.messages[Msg::kNoStatistics];
    c.chart.visible = false;
  } else {
    const double size = ShownSize(shown, how.unit);
    const double compressed = ShownCompressed(shown, how);
    c.chart.caption = shown.table;
    SetBars(c.chart, "Size: " + FormatNumber(size) + unit, size,
            "Compressed: " + FormatNumber(compressed) + unit, compressed);
    c.chart.visible = true;
  }
  c.chart.Changed();
  c.details.Clear();

  DesktopPort& desktop = c.reporter.desktop();
  desktop.SetWaitCursor(true);
  EstimateContext estimate;
  const Status status = ReadTableColumns(c.connection, c.statistics, grid.record().settings,
                                         shown.owner, shown.table, estimate);
  desktop.SetWaitCursor(false);
  if (!status.ok()) {
    ShowStatus(c.reporter, status);
    // The driver's box says what failed, this one where; a failure of the
    // program's own (the table is gone) names the table itself.
    if (status.driver_failure() || status.messages().empty())
      c.reporter.ShowMessage(c.messages[Msg::kTableInfoError] + shown.table);
    return;
  }
  std::vector<ColumnDetail> lines = ColumnDetails(estimate);
  for (size_t i = 0; i < lines.size(); ++i) {
    lines[i].why = ExplainColumn(estimate.TableColumns[static_cast<int>(i)],
                                 how.method);
  }
  c.details.SetLines(std::move(lines),
                     "How the estimate of " + shown.table + " is made",
                     ExplainTable(estimate, shown, how));
}

std::vector<ColumnDetail> ColumnDetails(const EstimateContext& estimate) {
  std::vector<ColumnDetail> lines;
  for (const CatalogColumnRow& column : estimate.TableColumns.columns()) {
    ColumnDetail line;
    line.name = column.ColumnName;
    line.type = TypeNameOf(column.Type);
    line.bytes = column.ByteLength;
    line.pct = column.CompressionPct;
    line.rows = column.RowCount;
    line.basis = column.Basis;
    line.sample = column.SampleSize;
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace tce
