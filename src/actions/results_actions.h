// What the user does with a results grid: marking, sorting, the toolbar's
// actions (grid_events.cc), the table details (table_details.cc), the
// summary chart (summary_chart.cc) and saving the list and the report
// (saving.cc). Both the main window's grid and the large-results window's
// grid use these; the details and the summary always draw on the main
// window's chart and per-column grid.
#ifndef TCE_ACTIONS_RESULTS_ACTIONS_H_
#define TCE_ACTIONS_RESULTS_ACTIONS_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/services.h"
#include "base/debug_log.h"
#include "base/message_table.h"
#include "output/result_writer.h"
#include "base/export_format.h"
#include "db/connection.h"
#include "engine/compute.h"
#include "engine/type_statistics.h"
#include "model/details.h"
#include "model/results_grid.h"
#include "model/views.h"

namespace tce {

// The mouse was released on the grid: R and C are the current row and
// column after the click, M the row under the mouse. A data row's mark
// cell toggles; a header click sorts by its column or, on the mark column,
// marks every row.
void OnGridMouseUp(ResultsGrid& grid, int current_row, int current_col,
                   int mouse_row);

// The toolbar buttons, by their exact (case-sensitive) keys.
enum class ToolbarAction {
  kNone, kGraph, kClear, kOutput, kMagnify, kPlan, kReport, kHistory, kExit
};
ToolbarAction ToolbarActionOf(const std::string& key);

// " Pages" (the pages header after a blank) or " K".
std::string SizeUnitSuffix(const MessageTable& messages, SizeUnit unit);

// What the details, the summary and the export read and write. The settings
// of a grid's tables are those of the run that listed them, kept in its
// record.
struct ResultsContext {
  const MessageTable& messages;
  Connection& connection;
  const TypeStatisticsTable& statistics;
  DetailsModel& details;  // the main window's per-column grid
  ChartModel& chart;      // the main window's chart and caption
  const Reporter& reporter;
};

// A click on a results grid: shows the clicked table's chart, caption and
// columns. Nothing happens on the mark column or on the header row.
void ShowTableDetails(const ResultsContext& context, const ResultsGrid& grid,
                      int current_row, int current_col);

// Sets the two bars of the chart, with their labels.
void SetBars(ChartModel& chart, std::string size_label, double size,
             std::string compressed_label, double compressed);

// The column lines the details grid shows for an estimated table.
std::vector<ColumnDetail> ColumnDetails(const EstimateContext& estimate);

// The "graph" button: the marked rows' totals in the chart, with the
// number of tables and their overall saving in the caption.
void ShowSummaryChart(const ResultsContext& context, const ResultsGrid& grid);

// The "output" button: asks for a file through the save dialog `which`
// (the main window's proposes `proposed_name`) and writes the grid's header
// and rows in `format`. The completion message names the file and the row
// count, or says that nothing was written and why.
void ExportResults(const ResultsContext& context, const ResultsGrid& grid,
                   SaveDialog which,
                   const std::optional<std::string>& proposed_name,
                   ExportFormat format);

// Asks for a file through the save dialog `which` and writes a document of
// `records` records into it through `write`, in `format`. The completion
// message names the file and the record count, or says that nothing was
// written and why. False when nothing was written.
// Saves the report of the grid's result (its listed tables), through the
// save dialog.
void SaveReport(const ResultsContext& context, const ResultsGrid& grid);

bool SaveDocument(const Reporter& reporter, SaveDialog which,
                  const std::optional<std::string>& proposed_name,
                  ExportFormat format, int64_t records,
                  const std::function<void(ResultWriter&)>& write);

// Writes the grid's header and rows, in its order, into `writer`.
void WriteGridList(ResultWriter& writer, const ResultsGrid& grid,
                   const MessageTable& messages);

// The large-results window's size rule, in twips: the width is fixed at
// 10000, the height at least 2000; the grid is 1000 less than the window.
struct SchemaListSize {
  int width;
  int height;
  int grid_height;
};
SchemaListSize SchemaListResize(int height);

}  // namespace tce

#endif  // TCE_ACTIONS_RESULTS_ACTIONS_H_
