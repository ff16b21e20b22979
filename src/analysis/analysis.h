// The analysis run: the catalog query's rows grouped into tables, each
// estimated by Compute, the tables at or above the minimum compression
// listed in the results grids.
#ifndef TCE_ANALYSIS_ANALYSIS_H_
#define TCE_ANALYSIS_ANALYSIS_H_

#include <string>
#include <string_view>

#include "db/connection.h"
#include "db/statement.h"
#include "engine/compute.h"
#include "model/grid_model.h"
#include "model/views.h"
#include "base/debug_log.h"
#include "base/message_table.h"
#include "base/run_settings.h"

namespace tce {

// The header of the results: `delimiter` first when `leading`, then the
// texts of entries 66, 65, 63, 71 or 60, 72 or 61, 62 and 73 joined by the
// delimiter (the page headers while ShowPageSavings is on).
std::string ResultsHeaderLine(const MessageTable& messages,
                              const RunSettings& settings,
                              std::string_view delimiter, bool leading);

// The colours of the "%Saved" cell.
CellColour SavingColour(Fixed4 pct);

// Sets up a grid the way the results grids are laid out: the header as
// row 0, the column alignments and widths, the empty row removed.
void LayOutResultsGrid(GridModel& grid, const std::string& header);

// What a run reads and fills. All references outlive the Analysis.
struct AnalysisContext {
  RunSettings& settings;
  const MessageTable& messages;
  StatementLayer& statements;
  const Connection& connection;  // its PageSizeExpression
  const Estimator& estimator;
  EstimateContext& estimate;  // TableColumns and the lengths
  GridModel& results_grid;    // the main window's TableDetails
  GridModel& large_grid;      // the large-results window's TableDetails
  ChartModel& chart;
  ProgressModel& progress;
  const Reporter& reporter;
};

class Analysis {
 public:
  explicit Analysis(AnalysisContext context) : c_(context) {}

  // Runs the estimate when SettingsChanged is set. True when the grids
  // hold a fresh result or nothing had to be done; false when the query
  // failed or no table qualified. Refuses (false, nothing touched) while a
  // run is already in progress: the run yields to pending window events.
  bool RunAnalysis();

  bool running() const { return running_; }
  // Asks a run in progress to stop at its next yield, as if the rows had
  // ended; the tables read so far stay listed.
  void RequestStop() { stop_requested_ = running_; }
  // Tables listed by the last run.
  int tables_emitted() const { return tables_emitted_; }
  // Whether the last run failed because its query could not be executed.
  bool query_failed() const { return query_failed_; }

 private:
  void EmptyAndLayOutGrids();
  void EmitTable(const std::string& owner, const std::string& table);
  void AppendRow(GridModel& grid, const std::string& line, Fixed4 pct);

  AnalysisContext c_;
  bool running_ = false;
  bool stop_requested_ = false;
  bool query_failed_ = false;
  int tables_emitted_ = 0;
};

}  // namespace tce

#endif  // TCE_ANALYSIS_ANALYSIS_H_
