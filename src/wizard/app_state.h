// The program's process-wide state in one object: settings, texts, the
// statistics table, the log, the driver and its connection, the estimator,
// the results models and the analysis run. The windows and the batch tool
// each own one and pass parts of it by reference.
#ifndef TCE_WIZARD_APP_STATE_H_
#define TCE_WIZARD_APP_STATE_H_

#include <string>

#include "analysis/analysis.h"
#include "db/cli_library.h"
#include "db/connection.h"
#include "db/driver_handles.h"
#include "db/statement.h"
#include "engine/compute.h"
#include "engine/type_statistics.h"
#include "model/grid_model.h"
#include "results/results_actions.h"
#include "model/views.h"
#include "base/debug_log.h"
#include "base/desktop_port.h"
#include "base/message_table.h"
#include "base/run_settings.h"

namespace tce {

class AppState {
 public:
  // `log_path` is where the debug log goes (by default its bare name, in
  // the current directory).
  explicit AppState(DesktopPort& desktop,
                    std::string log_path = kDebugLogFileName);
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;

  // The start-up steps that need no window. LoadConfiguration reads the
  // configuration file (DebugLog, LogSQL, the driver library) and starts a
  // fresh debug log when DEBUG=ON; LoadMessages fills the message table
  // and reads the message file; BuildStatistics fills the statistics table.
  void LoadConfiguration();
  void LoadMessages();
  void BuildStatistics();

  // What the results' actions read and write.
  ResultsContext results_context() {
    return ResultsContext{settings,   messages,  statements,
                          connection, estimator, estimate,
                          table_info, chart,     reporter};
  }

  DesktopPort& desktop;
  RunSettings settings;
  MessageTable messages;
  TypeStatisticsTable statistics;
  DebugLog log;
  Reporter reporter;
  CliLibrary library;
  DriverHandles handles;
  StatementLayer statements;
  Connection connection;
  Estimator estimator;
  EstimateContext estimate;
  GridModel results_grid;  // FormCompression.TableDetails
  GridModel large_grid;    // SchemaList.TableDetails
  GridModel table_info;    // FormCompression.TableInfo
  ChartModel chart;
  ProgressModel progress;
  Analysis analysis;
};

}  // namespace tce

#endif  // TCE_WIZARD_APP_STATE_H_
