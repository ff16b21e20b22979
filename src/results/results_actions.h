// What the user does with a results grid: marking, sorting, the toolbar's
// actions, the table details, the summary chart and the export. Both the
// main window's grid and the large-results window's grid use these; the
// details and the summary always draw on the main window's chart and
// per-column grid.
#ifndef TCE_RESULTS_RESULTS_ACTIONS_H_
#define TCE_RESULTS_RESULTS_ACTIONS_H_

#include <cstdio>
#include <string>

#include "db/connection.h"
#include "db/statement.h"
#include "engine/compute.h"
#include "model/grid_model.h"
#include "model/views.h"
#include "base/debug_log.h"
#include "base/message_table.h"
#include "base/run_settings.h"

namespace tce {

inline constexpr char kUnmarkedText[] = "o";
inline constexpr char kMarkedText[] = "\xfe";  // the ticked box, code 254

// The mouse was released on the grid: R and C are the current row and
// column after the click, M the row under the mouse. A data row's mark
// cell toggles; a header click sorts by its column (text ascending and
// case-sensitive for columns 1 and 2, numbers descending for 3 to 7) or,
// on the mark column, marks every row.
void OnGridMouseUp(GridModel& grid, int current_row, int current_col,
                   int mouse_row);

// Sorts the data rows by one column, whole rows moving with their marks and
// colours; the sort is stable.
void SortByColumn(GridModel& grid, int col);

// Unmarks every data row.
void ClearMarks(GridModel& grid);

// The toolbar buttons, by their exact (case-sensitive) keys.
enum class ToolbarAction { kNone, kGraph, kClear, kOutput, kMagnify, kExit };
ToolbarAction ToolbarActionOf(const std::string& key);

// The value of a cell as the readers take it: trimmed, its leading number.
double CellNumber(const GridModel& grid, int row, int col);

// " Pages" (entry 71 after a blank) or " K".
std::string SizeUnitSuffix(const MessageTable& messages,
                           const RunSettings& settings);

// What the details, the summary and the export read and write.
struct ResultsContext {
  const RunSettings& settings;
  const MessageTable& messages;
  StatementLayer& statements;
  const Connection& connection;
  const Estimator& estimator;
  EstimateContext& estimate;
  GridModel& table_info;  // the main window's per-column grid
  ChartModel& chart;      // the main window's chart and caption
  const Reporter& reporter;
};

// A click on a results grid: shows the clicked table's chart, caption and
// columns. Nothing happens on the mark column or on the header row.
void ShowTableDetails(const ResultsContext& context, const GridModel& grid,
                      int current_row, int current_col);

// The "graph" button: the marked rows' totals in the chart, with the
// number of tables and their overall saving in the caption.
void ShowSummaryChart(const ResultsContext& context, const GridModel& grid);

// The "output" button: asks for a file through the save dialog `which`
// (the main window's proposes `proposed_name`) and writes the grid's header
// and rows, tab- or comma-delimited, CR LF, cells trimmed, no mark column.
// The completion message names the file and the row count, or says that
// writing failed.
void ExportResults(const ResultsContext& context, const GridModel& grid,
                   SaveDialog which,
                   const std::optional<std::string>& proposed_name);

// Writes the export's lines for a grid (header, then rows 1 to the last)
// to an open file; false when any write failed.
bool WriteExportLines(std::FILE* file, const GridModel& grid,
                      const RunSettings& settings,
                      const MessageTable& messages);

// Reads one table's columns from the catalog into the context's column
// list and computes their savings; false when the query cannot run (the
// driver's error has been shown).
bool ReadTableColumns(const ResultsContext& context, const std::string& owner,
                      const std::string& table);

// The large-results window's size rule, in twips: the width is fixed at
// 10000, the height at least 2000; the grid is 1000 less than the window.
struct SchemaListSize {
  int width;
  int height;
  int grid_height;
};
SchemaListSize SchemaListResize(int width, int height);

}  // namespace tce

#endif  // TCE_RESULTS_RESULTS_ACTIONS_H_
