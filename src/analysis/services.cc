#include "analysis/services.h"

#include <cstdio>

#include "base/configuration.h"
#include "base/number_text.h"
#include "base/text_file.h"
#include "db/status.h"

namespace tce {

Services::Services(DesktopPort& desktop_port, std::string log_path)
    : desktop(desktop_port),
      log(std::move(log_path)),
      reporter(settings, log, desktop_port),
      connection(library, reporter) {}

void Services::LoadConfiguration() {
  settings.DebugLog = false;
  const std::string path = LocateOptionalFile(kConfigurationFileName);
  const Configuration configuration = ReadConfiguration(path, settings);
  history_file = configuration.history_file;
  std::string why;
  if (settings.DebugLog && !log.StartAfresh(&why)) {
    // Logging into a file that is not the user's own could hand the run's
    // statements to someone else: it is off for this run.
    settings.DebugLog = false;
    settings.LogSQL = false;
    std::fprintf(stderr,
                 "%s: cannot start the debug log afresh (%s); debugging is "
                 "off for this run.\n",
                 log.path().c_str(), why.c_str());
  }
  // A file beside the program is trusted as the program is; one elsewhere
  // names a library only when no one else could have written it.
  if (!configuration.cli_library.empty() && !IsProgramFile(path) &&
      !MayNameALibrary(path)) {
    const std::string warning =
        path + ": CLILIB=" + configuration.cli_library +
        " is ignored: the file is not yours alone (it or its folder can be "
        "changed by others).";
    std::fprintf(stderr, "%s\n", warning.c_str());
    reporter.Log("Configuration", warning);
  } else {
    library.SetName(configuration.cli_library);
  }
}

void Services::LoadMessages() {
  messages.LoadBuiltInTexts();
  messages.ReadMessageFile(LocateOptionalFile(kMessageFileName));
}

void Services::BuildStatistics() { BuildTypeStatistics(statistics); }

void ShowStatus(const Reporter& reporter, const Status& status) {
  if (status.ok()) return;
  if (status.driver_failure()) {
    const int read_rc = status.diagnostic().read_rc;
    if (read_rc == SQL_SUCCESS) {
      reporter.ShowBox("SQL Error", status.DriverText());
    } else {
      // Nothing to show: the driver's reason could not be read.
      reporter.Log("SQL Error", "Error retrieving SQL Error information rc=" +
                                    WithLeadingBlank(std::to_string(read_rc)));
    }
  }
  for (const std::string& message : status.messages()) {
    reporter.ShowMessage(message);
  }
}

}  // namespace tce
