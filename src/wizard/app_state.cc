#include "wizard/app_state.h"

#include "base/configuration.h"
#include "base/text_file.h"

namespace tce {

AppState::AppState(DesktopPort& desktop_port, std::string log_path)
    : desktop(desktop_port),
      log(std::move(log_path)),
      reporter(settings, log, desktop_port),
      handles(library),
      statements(handles, reporter),
      connection(handles, statements, reporter),
      estimator(statistics, settings, reporter),
      results_grid(8),
      large_grid(8),
      table_info(4, 1, 1),
      analysis(AnalysisContext{settings, messages, statements, connection,
                               estimator, estimate, results_grid, large_grid,
                               chart, progress, reporter}) {}

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
