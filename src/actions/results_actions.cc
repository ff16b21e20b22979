#include "actions/results_actions.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <set>

#include "analysis/catalog_rows.h"
#include "model/figures.h"
#include "model/format.h"
#include "base/number_text.h"
#include "db/catalog_query.h"
#include "db/statement.h"
#include "model/explain.h"
#include "output/file_writer.h"
#include "output/report.h"
#include "output/results_output.h"

namespace tce {
namespace {

// An SQL string literal's content: single quotes doubled.
std::string QuoteLiteral(std::string_view text) {
  std::string quoted;
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted;
}

void SetBars(ChartModel& chart, std::string size_label, double size,
             std::string compressed_label, double compressed) {
  chart.size_label = std::move(size_label);
  chart.size_value = size;
  chart.compressed_label = std::move(compressed_label);
  chart.compressed_value = compressed;
}

// A total as a whole number, held at the ends of the 64-bit range.
int64_t SaturatingWhole(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9.2e18) return INT64_MAX;
  if (value <= -9.2e18) return INT64_MIN;
  return static_cast<int64_t>(RoundHalfEven(value));
}

}  // namespace

void OnGridMouseUp(ResultsGrid& grid, int row, int col, int mouse_row) {
  if (mouse_row != 0) {
    if (col == 0) grid.ToggleMark(row);
    return;
  }
  if (col != 0) {
    grid.SortBy(col);
  } else {
    grid.MarkAll();
  }
}

ToolbarAction ToolbarActionOf(const std::string& key) {
  if (key == "graph") return ToolbarAction::kGraph;
  if (key == "clear") return ToolbarAction::kClear;
  if (key == "output") return ToolbarAction::kOutput;
  if (key == "magnify") return ToolbarAction::kMagnify;
  if (key == "plan") return ToolbarAction::kPlan;
  if (key == "report") return ToolbarAction::kReport;
  if (key == "exit") return ToolbarAction::kExit;
  return ToolbarAction::kNone;
}

std::string SizeUnitSuffix(const MessageTable& messages, SizeUnit unit) {
  return unit == SizeUnit::kPages ? " " + messages[Msg::kPages] : " K";
}

void ShowStatus(const Reporter& reporter, const Status& status) {
  if (status.ok()) return;
  if (status.driver_failure()) {
    const int read_rc = status.diagnostic().read_rc;
    if (read_rc == SQL_SUCCESS) {
      reporter.ShowBox("SQL Error", status.DriverText());
    } else {
      // Nothing to show: the driver's reason could not be read.
      reporter.Log("SQL Error", "Error retrieving SQL Error information rc=" +
                                    WithLeadingBlank(std::to_string(read_rc)));
    }
  }
  for (const std::string& message : status.messages()) {
    reporter.ShowMessage(message);
  }
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
  const Status status = ReadTableColumns(c, grid.record().settings,
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

Status ReadTableColumns(const ResultsContext& c, const RunSettings& settings,
                        const std::string& owner, const std::string& table,
                        EstimateContext& estimate) {
  // Quotes in a name are doubled so that the name stays one literal.
  std::string query;
  Status status = CatalogQueryFor(
      c.connection.PageSizeExpression,
      "T.OWNER = '" + QuoteLiteral(owner) + "'",
      "T.TABNAME = '" + QuoteLiteral(table) + "'", settings, query);
  if (!status.ok()) return status;
  Statement statement(c.connection);
  status = statement.ExecuteStatement(query);
  if (!status.ok()) return status;
  // The query selects the one table: its rows are read as the run reads a
  // table's rows.
  TableReader reader(statement, c.connection.logger());
  std::string owner_read, table_read;
  TableReader::Step step;
  status = reader.Next(owner_read, table_read, estimate.TableColumns, step,
                       [] { return true; });
  if (!status.ok()) return status;
  statement.CloseStatement();
  if (estimate.TableColumns.ColumnCount() == 0) {
    return Status::Failure("The catalog no longer lists the table " + owner +
                           "." + table +
                           " as the run read it; run the estimate again.");
  }
  const Estimator estimator(c.statistics, EstimateOptions::Of(settings),
                            c.connection.logger());
  estimator.Compute(estimate);
  return Status();
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

void WriteGridList(ResultWriter& writer, const ResultsGrid& grid,
                   const MessageTable& messages) {
  WriteTableList(writer, messages, grid.record(), grid.order());
}

bool SaveDocument(const Reporter& reporter, SaveDialog which,
                  const std::optional<std::string>& proposed_name,
                  ExportFormat format, int64_t records,
                  const std::function<void(ResultWriter&)>& write) {
  DesktopPort& desktop = reporter.desktop();
  const std::optional<std::string> chosen =
      desktop.AskSaveFileName(which, proposed_name, format);
  if (!chosen || chosen->empty()) return false;
  FileWriter file;
  Status status = file.Open(*chosen);
  if (status.ok()) {
    desktop.SetWaitCursor(true);
    const std::unique_ptr<ResultWriter> writer =
        ResultWriter::Make(format, file);
    write(*writer);
    status = writer->ok() ? file.Commit()
                          : Status::Failure(*chosen + ": the output failed");
    desktop.SetWaitCursor(false);
  }
  if (!status.ok()) {
    reporter.ShowMessage("File not written: " + status.ToString());
    return false;
  }
  std::error_code ignored;
  const std::string full_name =
      std::filesystem::absolute(*chosen, ignored).string();
  reporter.ShowMessage("File exported (" + full_name +
                       ")\r\nRecords exported=" + std::to_string(records));
  return true;
}

void SaveReport(const ResultsContext& c, const ResultsGrid& grid) {
  if (grid.shared_record() == nullptr) return;
  DesktopPort& desktop = c.reporter.desktop();
  const std::optional<std::string> chosen =
      desktop.AskSaveFileName(SaveDialog::kMain, std::string("report.html"),
                              ExportFormat::kHtml);
  if (!chosen || chosen->empty()) return;
  const std::shared_ptr<const RunRecord> record = grid.shared_record();
  Report report;
  report.source = "Database " + record->database;
  const std::time_t ended = std::chrono::system_clock::to_time_t(record->ended);
  std::tm local{};
  localtime_r(&ended, &local);
  char when[64];
  std::strftime(when, sizeof when, "estimated %Y-%m-%d %H:%M", &local);
  report.generated = when;
  report.databases.push_back(ReportOfRun(record->database, record, std::nullopt));
  FileWriter file;
  desktop.SetWaitCursor(true);
  Status status = file.Open(*chosen);
  if (status.ok()) {
    file.Write(ReportHtml(report));
    status = file.Commit();
  }
  desktop.SetWaitCursor(false);
  if (!status.ok()) {
    c.reporter.ShowMessage("File not written: " + status.ToString());
    return;
  }
  std::error_code ignored;
  c.reporter.ShowMessage("Report saved (" +
                         std::filesystem::absolute(*chosen, ignored).string() +
                         ")");
}

void ExportResults(const ResultsContext& c, const ResultsGrid& grid,
                   SaveDialog which,
                   const std::optional<std::string>& proposed_name,
                   ExportFormat format) {
  SaveDocument(c.reporter, which, proposed_name, format, grid.RowCount(),
               [&](ResultWriter& writer) {
                 writer.BeginDocument();
                 WriteGridList(writer, grid, c.messages);
                 writer.EndDocument();
               });
}

SchemaListSize SchemaListResize(int height) {
  const int fixed_height = std::max(height, 2000);
  return {10000, fixed_height, fixed_height - 1000};
}

}  // namespace tce
