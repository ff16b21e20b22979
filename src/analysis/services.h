// What every estimate needs beside its settings, for the windows and the
// command-line tool alike: the user's options, the texts, the statistics
// table, the debug log and the reporter that writes to it and to the
// desktop, the driver library and the connection. The windows' state
// (wizard/app_state.h) adds to it; the command-line tool uses it alone.
#ifndef TCE_ANALYSIS_SERVICES_H_
#define TCE_ANALYSIS_SERVICES_H_

#include <string>

#include "base/debug_log.h"
#include "base/desktop_port.h"
#include "base/message_table.h"
#include "base/run_settings.h"
#include "base/status.h"
#include "db/cli_library.h"
#include "db/connection.h"
#include "engine/type_statistics.h"

namespace tce {

class Services {
 public:
  // `log_path` is where the debug log goes (by default its bare name, in
  // the current directory).
  explicit Services(DesktopPort& desktop,
                    std::string log_path = kDebugLogFileName);
  Services(const Services&) = delete;
  Services& operator=(const Services&) = delete;

  // The start-up steps that need no window. LoadConfiguration reads the
  // configuration file (DebugLog, LogSQL, the driver library) and starts a
  // fresh debug log when DEBUG=ON; LoadMessages fills the message table
  // and reads the message file; BuildStatistics fills the statistics table.
  void LoadConfiguration();
  void LoadMessages();
  void BuildStatistics();

  DesktopPort& desktop;
  RunSettings settings;
  MessageTable messages;
  TypeStatisticsTable statistics;
  DebugLog log;
  Reporter reporter;
  // The history file the windows keep every completed run in (HISTORY= in
  // the configuration file); empty: none is kept.
  std::string history_file;
  CliLibrary library;
  Connection connection;
};

// Shows a failed status the way the program does: the driver's text in a
// box titled "SQL Error", then each of the program's messages.
void ShowStatus(const Reporter& reporter, const Status& status);

}  // namespace tce

#endif  // TCE_ANALYSIS_SERVICES_H_
