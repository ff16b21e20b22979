#include "wizard/app_state.h"

#include "base/configuration.h"
#include "base/text_file.h"

namespace tce {

AppState::AppState(DesktopPort& desktop_port, std::string log_path)
    : desktop(desktop_port),
      log(std::move(log_path)),
      reporter(settings, log, desktop_port),
      connection(library, reporter),
      estimator(statistics, settings, reporter) {}

void AppState::LoadConfiguration() {
  settings.DebugLog = false;
  const Configuration configuration =
      ReadConfiguration(LocateOptionalFile(kConfigurationFileName), settings);
  library.SetName(configuration.cli_library);
  if (settings.DebugLog) log.Delete();
}

void AppState::LoadMessages() {
  messages.LoadBuiltInTexts();
  messages.ReadMessageFile(LocateOptionalFile(kMessageFileName));
}

void AppState::BuildStatistics() { BuildTypeStatistics(statistics); }

}  // namespace tce
