#include "base/text_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/text_util.h"

namespace tce {
namespace {

bool IsRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string ExecutableDirectory() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return ".";
  std::string exe(path, static_cast<size_t>(length));
  const size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "." : exe.substr(0, slash);
}

bool ReadTextLines(const std::string& path,
                   const std::function<void(std::string_view)>& line) {
  if (!IsRegularFile(path)) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::string current;
  char buffer[64 * 1024];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    size_t start = 0;
    for (size_t i = 0; i < count; ++i) {
      if (buffer[i] != '\n') continue;
      current.append(buffer + start, i - start);
      if (!current.empty() && current.back() == '\r') current.pop_back();
      line(current);
      current.clear();
      start = i + 1;
    }
    current.append(buffer + start, count - start);
  }
  std::fclose(file);
  if (!current.empty()) {
    if (current.back() == '\r') current.pop_back();
    line(current);
  }
  return true;
}

std::string ProgramDataDirectory() {
  const std::string program = ExecutableDirectory();
  // Installed: <prefix>/bin/program and <prefix>/share/tarvex-compest.
  const std::string installed = program + "/../share/" + kProgramDataFolder;
  struct stat info {};
  if (stat(installed.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::error_code error;
    const auto canonical = std::filesystem::canonical(installed, error);
    return error ? installed : canonical.string();
  }
  return program;  // the build folder: everything beside the program
}

std::string UserConfigDirectory() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') {
    return std::string(config) + "/" + kProgramDataFolder;
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return {};
  return std::string(home) + "/.config/" + kProgramDataFolder;
}

std::string LocateOptionalFile(const std::string& name) {
  if (IsRegularFile(name)) return name;
  for (const std::string& folder :
       {UserConfigDirectory(), ProgramDataDirectory(), ExecutableDirectory()}) {
    if (folder.empty()) continue;
    const std::string path = folder + "/" + name;
    if (IsRegularFile(path)) return path;
  }
  return name;
}

bool IsProgramFile(const std::string& path) {
  std::error_code error;
  const auto folder =
      std::filesystem::weakly_canonical(path, error).parent_path();
  if (error) return false;
  for (const std::string& own :
       {ExecutableDirectory(), ProgramDataDirectory()}) {
    std::error_code own_error;
    if (folder == std::filesystem::weakly_canonical(own, own_error) &&
        !own_error) {
      return true;
    }
  }
  return false;
}

std::string_view StripCommentsAndBlanks(std::string_view line) {
  line = TrimBlanks(line);
  if (!line.empty() && line.front() == '*') return {};
  const size_t semicolon = line.find(';', 1);
  if (semicolon != std::string_view::npos) {
    line = TrimBlanks(line.substr(0, semicolon));
  }
  return line;
}

}  // namespace tce
