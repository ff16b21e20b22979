#include "base/configuration.h"

#include "base/text_file.h"
#include "base/text_util.h"

namespace tce {

Configuration ReadConfiguration(const std::string& path,
                                RunSettings& settings) {
  Configuration configuration;
  settings.LogSQL = false;
  ReadTextLines(path, [&](std::string_view raw) {
    const std::string_view line = StripCommentsAndBlanks(raw);
    if (line.empty()) return;
    const size_t equals = line.find('=', 1);
    if (equals == std::string_view::npos) return;
    const std::string key = ToUpperAscii(TrimBlanks(line.substr(0, equals)));
    const std::string_view raw_value = TrimBlanks(line.substr(equals + 1));
    const std::string value = ToUpperAscii(raw_value);
    if (key == "DEBUG") {
      settings.DebugLog = value == "ON";
    } else if (key == "SHOWSQL") {
      settings.LogSQL = value == "ON";
    } else if (key == "CLILIB") {
      // A file name keeps its case.
      configuration.cli_library = std::string(raw_value);
    }
  });
  return configuration;
}

}  // namespace tce
