#include "base/run_settings.h"

#include "base/text_util.h"

namespace tce {

void ResetToStartupValues(RunSettings& settings) {
  const bool debug_log = settings.DebugLog;
  const bool log_sql = settings.LogSQL;
  settings = RunSettings{};
  settings.DebugLog = debug_log;
  settings.LogSQL = log_sql;
}

std::string JoinFilterLines(std::string_view text) {
  std::string_view rest = TrimBlanks(text);
  std::string result;
  auto append = [&](std::string_view item) {
    if (item.empty()) return;
    if (!result.empty()) result += ',';
    result += item;
  };
  for (size_t pair = rest.find("\r\n"); pair != std::string_view::npos;
       pair = rest.find("\r\n")) {
    append(TrimBlanks(rest.substr(0, pair)));
    rest.remove_prefix(pair + 2);
  }
  append(rest);
  return std::string(TrimBlanks(result));
}

}  // namespace tce
