#include "base/run_settings.h"

namespace tce {

void ResetToStartupValues(RunSettings& settings) {
  const bool debug_log = settings.DebugLog;
  const bool log_sql = settings.LogSQL;
  settings = RunSettings{};
  settings.DebugLog = debug_log;
  settings.LogSQL = log_sql;
}

}  // namespace tce
