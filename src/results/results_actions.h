// What the user does with a results grid: marking, sorting, the toolbar's
// actions, the table details, the summary chart and the export. Both the
// main window's grid and the large-results window's grid use these; the
// details and the summary always draw on the main window's chart and
// per-column grid.
#ifndef TCE_RESULTS_RESULTS_ACTIONS_H_
#define TCE_RESULTS_RESULTS_ACTIONS_H_

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "base/debug_log.h"
#include "base/message_table.h"
#include "base/run_settings.h"
#include "db/connection.h"
#include "engine/compute.h"
#include "model/details.h"
#include "model/results.h"
#include "model/views.h"

namespace tce {

// The mouse was released on the grid: R and C are the current row and
// column after the click, M the row under the mouse. A data row's mark
// cell toggles; a header click sorts by its column or, on the mark column,
// marks every row.
void OnGridMouseUp(ResultsGrid& grid, int current_row, int current_col,
                   int mouse_row);

// The toolbar buttons, by their exact (case-sensitive) keys.
enum class ToolbarAction { kNone, kGraph, kClear, kOutput, kMagnify, kExit };
ToolbarAction ToolbarActionOf(const std::string& key);

// " Pages" (entry 71 after a blank) or " K".
std::string SizeUnitSuffix(const MessageTable& messages, SizeUnit unit);

// What the details, the summary and the export read and write.
struct ResultsContext {
  const RunSettings& settings;
  const MessageTable& messages;
  Connection& connection;
  const Estimator& estimator;
  DetailsModel& details;  // the main window's per-column grid
  ChartModel& chart;      // the main window's chart and caption
  const Reporter& reporter;
};

// Shows a failed status the way the windows do: the driver's text in a box
// titled "SQL Error", then each of the program's messages.
void ShowStatus(const Reporter& reporter, const Status& status);

// A click on a results grid: shows the clicked table's chart, caption and
// columns. Nothing happens on the mark column or on the header row.
void ShowTableDetails(const ResultsContext& context, const ResultsGrid& grid,
                      int current_row, int current_col);

// Reads one table's columns from the catalog into `estimate` (its own
// column list) and computes their savings.
Status ReadTableColumns(const ResultsContext& context, const std::string& owner,
                        const std::string& table, EstimateContext& estimate);

// The column lines the details grid shows for an estimated table.
std::vector<ColumnDetail> ColumnDetails(const EstimateContext& estimate);

// The "graph" button: the marked rows' totals in the chart, with the
// number of tables and their overall saving in the caption.
void ShowSummaryChart(const ResultsContext& context, const ResultsGrid& grid);

// The "output" button: asks for a file through the save dialog `which`
// (the main window's proposes `proposed_name`) and writes the grid's
// header and rows. The completion message names the file and the row
// count, or says that writing failed.
void ExportResults(const ResultsContext& context, const ResultsGrid& grid,
                   SaveDialog which,
                   const std::optional<std::string>& proposed_name);

// One field of an export line: as it is, or in double quotes with inner
// quotes doubled when it holds the delimiter, a quote, CR or LF.
std::string ExportField(std::string_view text, char delimiter);
// The export's line (without its line end) for one table.
std::string ExportLine(const TableEstimate& table, char delimiter);
// The export's header line (without its line end).
std::string ExportHeaderLine(const MessageTable& messages, SizeUnit unit,
                             char delimiter);

// Writes the export's lines for a grid (header, then rows 1 to the last,
// each ended by CR LF) to an open file; false when any write failed.
bool WriteExportLines(std::FILE* file, const ResultsGrid& grid,
                      bool tab_delimited, const MessageTable& messages);

// The large-results window's size rule, in twips: the width is fixed at
// 10000, the height at least 2000; the grid is 1000 less than the window.
struct SchemaListSize {
  int width;
  int height;
  int grid_height;
};
SchemaListSize SchemaListResize(int height);

}  // namespace tce

#endif  // TCE_RESULTS_RESULTS_ACTIONS_H_
