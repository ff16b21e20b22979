#include "results/results_actions.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "analysis/catalog_rows.h"
#include "base/number_text.h"
#include "base/text_util.h"
#include "db/catalog_query.h"
#include "db/statement.h"

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

// "##0%": the ratio times 100, rounded, at least one digit.
std::string Percent(double ratio) {
  return FormatNumber(RoundHalfEven(ratio * 100.0)) + "%";
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
  if (key == "exit") return ToolbarAction::kExit;
  return ToolbarAction::kNone;
}

std::string SizeUnitSuffix(const MessageTable& messages, SizeUnit unit) {
  return unit == SizeUnit::kPages ? " " + messages[71] : " K";
}

void ShowStatus(const Reporter& reporter, const Status& status) {
  if (status.ok()) return;
  if (status.driver_failure()) {
    reporter.ShowBox("SQL Error", status.DriverText());
  }
  for (const std::string& message : status.messages()) {
    reporter.ShowMessage(message);
  }
}

void ShowTableDetails(const ResultsContext& c, const ResultsGrid& grid, int row,
                      int col) {
  if (col == 0 || row < 1 || row > grid.RowCount()) return;
  const TableEstimate& shown = grid.Row(row);
  const std::string unit = SizeUnitSuffix(c.messages, grid.results().unit);
  if (shown.row_count < Fixed4()) {
    c.chart.caption = shown.table + " " + c.messages[70];
    c.chart.visible = false;
  } else {
    c.chart.caption = shown.table;
    SetBars(c.chart, "Size: " + FormatNumber(shown.size) + unit, shown.size,
            "Compressed: " + FormatNumber(shown.compressed) + unit,
            shown.compressed);
    c.chart.visible = true;
  }
  c.chart.Changed();
  c.details.Clear();

  DesktopPort& desktop = c.reporter.desktop();
  desktop.SetWaitCursor(true);
  EstimateContext estimate;
  const Status status = ReadTableColumns(c, shown.owner, shown.table, estimate);
  desktop.SetWaitCursor(false);
  if (!status.ok()) {
    ShowStatus(c.reporter, status);
    c.reporter.ShowMessage(c.messages[83] + shown.table);
    return;
  }
  c.details.SetLines(ColumnDetails(estimate));
}

Status ReadTableColumns(const ResultsContext& c, const std::string& owner,
                        const std::string& table, EstimateContext& estimate) {
  // Quotes in a name are doubled so that the name stays one literal.
  std::string query;
  Status status = CatalogQueryFor(
      c.connection.PageSizeExpression,
      "T.OWNER = '" + QuoteLiteral(owner) + "'",
      "T.TABNAME = '" + QuoteLiteral(table) + "'", c.settings, query);
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
  c.estimator.Compute(estimate);
  return Status();
}

std::vector<ColumnDetail> ColumnDetails(const EstimateContext& estimate) {
  std::vector<ColumnDetail> lines;
  for (const CatalogColumnRow& column : estimate.TableColumns.columns()) {
    ColumnDetail line;
    line.name = column.ColumnName;
    line.type = column.TypeName;
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
  const SizeUnit unit = grid.results().unit;
  int32_t marked = 0;
  double size_pages = 0, compressed_pages = 0;
  double size_bytes = 0, compressed_bytes = 0;
  std::set<int32_t> page_sizes;
  for (int row = 1; row <= grid.RowCount(); ++row) {
    if (!grid.Marked(row)) continue;
    ++marked;
    const TableEstimate& table = grid.Row(row);
    if (RoundHalfEven(table.row_count.ToDouble()) <= 0) continue;
    size_pages += table.size;
    compressed_pages += table.compressed;
    size_bytes += SizeInBytes(table, unit);
    compressed_bytes += CompressedInBytes(table, unit);
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
                      Percent((size_bytes - compressed_bytes) / size_bytes);
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

std::string ExportField(std::string_view text, char delimiter) {
  if (text.find_first_of(std::string{delimiter, '"', '\r', '\n'}) ==
      std::string_view::npos) {
    return std::string(text);
  }
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

std::string ExportHeaderLine(const MessageTable& messages, SizeUnit unit,
                             char delimiter) {
  std::string line;
  bool first = true;
  for (const std::string& text : ResultsHeaderTexts(messages, unit)) {
    if (!first) line += delimiter;
    first = false;
    line += ExportField(text, delimiter);
  }
  return line;
}

std::string ExportLine(const TableEstimate& table, char delimiter) {
  std::string line = ExportField(table.owner, delimiter);
  line += delimiter;
  line += ExportField(table.table, delimiter);
  for (int col = 3; col <= 7; ++col) {
    line += delimiter;
    // The grid's number without its leading blank.
    line += TrimBlanks(GridCellText(table, col));
  }
  return line;
}

bool WriteExportLines(std::FILE* file, const ResultsGrid& grid,
                      bool tab_delimited, const MessageTable& messages) {
  const char delimiter = tab_delimited ? '\t' : ',';
  bool ok = true;
  auto write_line = [&](std::string line) {
    line += "\r\n";
    if (std::fwrite(line.data(), 1, line.size(), file) != line.size())
      ok = false;
  };
  write_line(ExportHeaderLine(messages, grid.results().unit, delimiter));
  for (int row = 1; row <= grid.RowCount(); ++row) {
    write_line(ExportLine(grid.Row(row), delimiter));
  }
  return ok;
}

void ExportResults(const ResultsContext& c, const ResultsGrid& grid,
                   SaveDialog which,
                   const std::optional<std::string>& proposed_name) {
  DesktopPort& desktop = c.reporter.desktop();
  const std::optional<std::string> chosen =
      desktop.AskSaveFileName(which, proposed_name, c.settings.TabDelimited);
  if (!chosen || chosen->empty()) return;
  std::FILE* file = std::fopen(chosen->c_str(), "wb");
  if (file == nullptr) {
    c.reporter.ShowMessage(std::strerror(errno));
    return;
  }
  desktop.SetWaitCursor(true);
  bool failed =
      !WriteExportLines(file, grid, c.settings.TabDelimited, c.messages);
  if (std::fflush(file) != 0) failed = true;
  if (std::fclose(file) != 0) failed = true;
  desktop.SetWaitCursor(false);
  std::error_code ignored;
  const std::string full_name =
      std::filesystem::absolute(*chosen, ignored).string();
  // A file that could not be written whole is reported as such, not as an
  // export.
  if (failed) {
    c.reporter.ShowMessage("File not written completely (" + full_name +
                           ")\r\nThe disk may be full or the file unwritable.");
    return;
  }
  c.reporter.ShowMessage(
      "File exported (" + full_name +
      ")\r\nRecords exported=" + std::to_string(grid.RowCount()));
}

SchemaListSize SchemaListResize(int height) {
  const int fixed_height = std::max(height, 2000);
  return {10000, fixed_height, fixed_height - 1000};
}

}  // namespace tce
