// The program's state in one object, kept in kinds that are changed apart:
// the user's options (RunSettings, changed by the options panel), the state
// of runs (RunState, changed by the options panel and the run), the
// windows' state (WindowState, changed by the windows) and the models the
// windows render (WindowModels). Beside them the services they all use: the
// texts, the statistics table, the log, and the driver and its connection.
// The windows and the command-line tool each own one.
#ifndef TCE_WIZARD_APP_STATE_H_
#define TCE_WIZARD_APP_STATE_H_

#include <string>

#include "base/debug_log.h"
#include "base/desktop_port.h"
#include "base/message_table.h"
#include "base/run_settings.h"
#include "db/cli_library.h"
#include "db/connection.h"
#include "engine/type_statistics.h"
#include "model/details.h"
#include "model/results_grid.h"
#include "model/views.h"
#include "actions/results_actions.h"

namespace tce {

// Whether the options changed since the last successful run, and whether
// the run in progress is to stop.
struct RunState {
  // Set by every change of a run-relevant option; only a run that listed
  // tables clears it.
  bool SettingsChanged = true;
  // Set by Exit during a run: the run stops at its next fetch.
  bool stop_requested = false;
};

// What the windows show beside the panels.
struct WindowState {
  // Set by "magnify"; the large-results window is then the results' home.
  bool LargeResultsShown = false;
};

// The models the windows render. The wizard and the results' actions write
// them; the windows only read them and repaint.
struct WindowModels {
  ResultsGrid results_grid;  // FormCompression.TableDetails
  ResultsGrid large_grid;    // SchemaList.TableDetails
  DetailsModel details;      // FormCompression.TableInfo
  ChartModel chart;
  ProgressModel progress;
};

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
    return ResultsContext{messages,       connection,   statistics,
                          models.details, models.chart, reporter};
  }

  DesktopPort& desktop;
  RunSettings settings;
  RunState run_state;
  WindowState window_state;
  MessageTable messages;
  TypeStatisticsTable statistics;
  DebugLog log;
  Reporter reporter;
  CliLibrary library;
  Connection connection;

  WindowModels models;
};

}  // namespace tce

#endif  // TCE_WIZARD_APP_STATE_H_
