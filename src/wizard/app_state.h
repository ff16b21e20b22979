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

#include "analysis/services.h"
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

// The windows' program state: the services every estimate uses, with the
// state of runs, the windows' state and the models they render.
class AppState : public Services {
 public:
  explicit AppState(DesktopPort& desktop,
                    std::string log_path = kDebugLogFileName)
      : Services(desktop, std::move(log_path)) {}

  // What the results' actions read and write.
  ResultsContext results_context() {
    return ResultsContext{messages,       connection,   statistics,
                          models.details, models.chart, reporter};
  }

  RunState run_state;
  WindowState window_state;
  WindowModels models;
};

}  // namespace tce

#endif  // TCE_WIZARD_APP_STATE_H_
