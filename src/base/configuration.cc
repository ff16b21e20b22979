#include "base/configuration.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

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
    } else if (key == "HISTORY") {
      const std::filesystem::path file(raw_value);
      configuration.history_file =
          raw_value.empty() || file.is_absolute()
              ? std::string(raw_value)
              : (std::filesystem::path(path).parent_path() / file).string();
    }
  });
  return configuration;
}

bool MayNameALibrary(const std::string& path) {
  // The file judged is the one read: a link is followed to it, and its own
  // folder is judged, not the link's.
  std::error_code error;
  const std::filesystem::path real = std::filesystem::canonical(path, error);
  if (error) return false;
  struct stat file {};
  if (stat(real.c_str(), &file) != 0 || !S_ISREG(file.st_mode)) return false;
  if (file.st_uid != geteuid() || (file.st_mode & (S_IWGRP | S_IWOTH)) != 0)
    return false;
  const std::filesystem::path folder = real.parent_path();
  struct stat dir {};
  if (stat(folder.c_str(), &dir) != 0) return false;
  const bool others_write = (dir.st_mode & (S_IWGRP | S_IWOTH)) != 0;
  return !others_write || (dir.st_mode & S_ISVTX) != 0;
}

}  // namespace tce
