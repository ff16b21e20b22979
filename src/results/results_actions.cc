#include "results/results_actions.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <system_error>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/catalog_rows.h"
#include "db/catalog_query.h"
#include "base/number_text.h"
#include "base/text_util.h"

namespace tce {
namespace {

bool IsMarked(const GridModel& grid, int row) {
  return grid.Text(row, 0) != kUnmarkedText;
}

// An SQL string literal's content: single quotes doubled.
std::string QuoteLiteral(std::string_view text) {
  std::string quoted;
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted;
}

// Configures the two-bar chart.
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

}  // namespace

double CellNumber(const GridModel& grid, int row, int col) {
  return LeadingNumber(grid.Text(row, col));
}

std::string SizeUnitSuffix(const MessageTable& messages,
                           const RunSettings& settings) {
  return settings.ShowPageSavings ? " " + messages[71] : " K";
}

void OnGridMouseUp(GridModel& grid, int row, int col, int mouse_row) {
  if (mouse_row != 0) {
    if (col == 0 && row > 0 && row < grid.Rows()) {
      grid.SetText(row, 0, IsMarked(grid, row) ? kUnmarkedText : kMarkedText);
    }
    return;
  }
  if (col != 0) {
    SortByColumn(grid, col);
    return;
  }
  if (grid.Rows() <= 1) return;
  grid.BeginBatch();
  for (int r = 1; r < grid.Rows(); ++r) grid.SetText(r, 0, kMarkedText);
  grid.EndBatch();
}

void SortByColumn(GridModel& grid, int col) {
  const int last = grid.Rows() - 1;
  if (last < 2 || col < 1 || col >= grid.Cols()) return;
  std::vector<int> order(static_cast<size_t>(last));
  std::iota(order.begin(), order.end(), 1);
  if (col < 3) {
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return grid.Text(a, col) < grid.Text(b, col);  // byte order: case counts
    });
  } else {
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return CellNumber(grid, a, col) > CellNumber(grid, b, col);
    });
  }
  grid.ReorderRows(1, order);
}

void ClearMarks(GridModel& grid) {
  if (grid.Rows() <= 1) return;
  grid.BeginBatch();
  for (int r = 1; r < grid.Rows(); ++r) grid.SetText(r, 0, kUnmarkedText);
  grid.EndBatch();
}

ToolbarAction ToolbarActionOf(const std::string& key) {
  if (key == "graph") return ToolbarAction::kGraph;
  if (key == "clear") return ToolbarAction::kClear;
  if (key == "output") return ToolbarAction::kOutput;
  if (key == "magnify") return ToolbarAction::kMagnify;
  if (key == "exit") return ToolbarAction::kExit;
  return ToolbarAction::kNone;
}

void ShowTableDetails(const ResultsContext& c, const GridModel& grid, int row,
                      int col) {
  if (col == 0 || row == 0 || row >= grid.Rows()) return;
  const std::string unit = SizeUnitSuffix(c.messages, c.settings);
  const std::string table(TrimBlanks(grid.Text(row, 2)));
  if (CellNumber(grid, row, 3) < 0) {
    c.chart.caption = grid.Text(row, 2) + " " + c.messages[70];
    c.chart.visible = false;
  } else {
    c.chart.caption = grid.Text(row, 2);
    SetBars(c.chart,
            "Size: " + std::string(TrimBlanks(grid.Text(row, 4))) + unit,
            CellNumber(grid, row, 4),
            "Compressed: " + std::string(TrimBlanks(grid.Text(row, 5))) + unit,
            CellNumber(grid, row, 5));
    c.chart.visible = true;
  }
  c.chart.Changed();

  GridModel& info = c.table_info;
  info.BeginBatch();
  info.SetFixedRows(0);
  info.TruncateRows(1);
  info.EndBatch();

  const std::string owner(TrimBlanks(grid.Text(row, 1)));
  DesktopPort& desktop = c.reporter.desktop();
  desktop.SetWaitCursor(true);
  if (!ReadTableColumns(c, owner, table)) {
    c.reporter.ShowMessage(c.messages[83] + table);
    desktop.SetWaitCursor(false);
    return;
  }
  const ColumnList& columns = c.estimate.TableColumns;
  if (columns.ColumnCount() > 0) {
    info.BeginBatch();
    for (int i = 0; i < columns.ColumnCount(); ++i) {
      const CatalogColumnRow& column = columns[i];
      info.AddItem(column.ColumnName + "\t" + column.TypeName + "\t" +
                       std::to_string(column.ByteLength) + "\t" +
                       column.CompressionPct.ToText(),
                   i + 1);
    }
    info.SetFixedRows(1);
    info.EndBatch();
  }
  desktop.SetWaitCursor(false);
}

bool ReadTableColumns(const ResultsContext& c, const std::string& owner,
                      const std::string& table) {
  // Quotes in a name are doubled so that the name stays one literal.
  const std::string query =
      BuildCatalogQuery("T.OWNER = '" + QuoteLiteral(owner) + "'",
                        "T.TABNAME = '" + QuoteLiteral(table) + "'",
                        c.connection.PageSizeExpression, c.settings);
  if (!c.statements.ExecuteStatement(query)) return false;
  ColumnList& columns = c.estimate.TableColumns;
  columns.Clear();
  while (c.statements.FetchRow(false)) {
    FillColumnRow(c.statements, columns.Append(), c.reporter);
  }
  c.estimator.Compute(c.estimate);
  return true;
}

void ShowSummaryChart(const ResultsContext& c, const GridModel& grid) {
  const std::string unit = SizeUnitSuffix(c.messages, c.settings);
  int32_t marked = 0;
  int64_t total_size = 0;
  int64_t total_compressed = 0;
  for (int row = 1; row < grid.Rows(); ++row) {
    if (!IsMarked(grid, row)) continue;
    ++marked;
    const double count = RoundHalfEven(CellNumber(grid, row, 3));
    if (count > 0) {
      total_size +=
          static_cast<int64_t>(RoundHalfEven(CellNumber(grid, row, 4)));
      total_compressed +=
          static_cast<int64_t>(RoundHalfEven(CellNumber(grid, row, 5)));
    }
  }
  if (marked == 0) {
    c.chart.caption = "No tables selected for summary";
    c.chart.visible = false;
    c.chart.Changed();
    return;
  }
  // With nothing to divide by, the caption keeps what it showed.
  if (total_size != 0) {
    c.chart.caption =
        "Tables: " + std::to_string(marked) + "     Compression: " +
        Percent(static_cast<double>(total_size - total_compressed) /
                static_cast<double>(total_size));
  }
  SetBars(c.chart, "Size: " + std::to_string(total_size) + unit,
          static_cast<double>(total_size),
          "Compressed: " + std::to_string(total_compressed) + unit,
          static_cast<double>(total_compressed));
  c.chart.visible = true;
  c.chart.Changed();
}

void ExportResults(const ResultsContext& c, const GridModel& grid,
                   SaveDialog which,
                   const std::optional<std::string>& proposed_name) {
  DesktopPort& desktop = c.reporter.desktop();
  const std::optional<std::string> chosen =
      desktop.AskSaveFileName(which, proposed_name);
  if (!chosen || chosen->empty()) return;
  std::FILE* file = std::fopen(chosen->c_str(), "wb");
  if (file == nullptr) {
    c.reporter.ShowMessage(std::strerror(errno));
    return;
  }
  desktop.SetWaitCursor(true);
  bool failed = !WriteExportLines(file, grid, c.settings, c.messages);
  if (std::fflush(file) != 0) failed = true;
  if (std::fclose(file) != 0) failed = true;
  desktop.SetWaitCursor(false);
  // A file that could not be written whole is reported as such, not as an
  // export.
  const int data_rows = std::max(grid.Rows() - 1, 0);
  std::error_code ignored;
  const std::string full_name =
      std::filesystem::absolute(*chosen, ignored).string();
  if (failed) {
    c.reporter.ShowMessage("File not written completely (" + full_name +
                           ")\r\nThe disk may be full or the file unwritable.");
    return;
  }
  c.reporter.ShowMessage("File exported (" + full_name +
                         ")\r\nRecords exported=" + std::to_string(data_rows));
}

bool WriteExportLines(std::FILE* file, const GridModel& grid,
                      const RunSettings& settings,
                      const MessageTable& messages) {
  const std::string delimiter = settings.TabDelimited ? "\t" : ",";
  bool ok = true;
  auto write_line = [&](const std::string& line) {
    const std::string bytes = line + "\r\n";
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
      ok = false;
  };
  write_line(ResultsHeaderLine(messages, settings, delimiter, false));
  for (int row = 1; row < grid.Rows(); ++row) {
    std::string line;
    for (int col = 1; col <= 7; ++col) {
      if (col > 1) line += delimiter;
      line += TrimBlanks(grid.Text(row, col));
    }
    write_line(line);
  }
  return ok;
}

SchemaListSize SchemaListResize(int width, int height) {
  (void)width;
  const int fixed_height = std::max(height, 2000);
  return {10000, fixed_height, fixed_height - 1000};
}

}  // namespace tce
