#include "app/filter_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/text_util.h"

namespace tce {
namespace {

// The whole content of a file (or a pipe); false with errno's reason.
bool ReadWhole(const std::string& path, std::string* bytes, std::string* why) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *why = std::strerror(errno);
    return false;
  }
  char buffer[1 << 16];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *why = std::strerror(errno);
      close(fd);
      return false;
    }
    bytes->append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return true;
}

// The names of a filter file of `what` (owners, tables), joined by commas;
// false with why it is refused.
bool ReadFilterFile(const std::string& path, const std::string& what,
                    std::string* names, std::string* why) {
  std::string bytes;
  if (!ReadWhole(path, &bytes, why)) return false;
  if (bytes.find('\0') != std::string::npos) {
    *why = "holds a NUL byte, which no name can contain";
    return false;
  }
  names->clear();
  for (std::string_view line : SplitLines(bytes)) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() == '#') continue;
    if (!names->empty()) *names += ',';
    names->append(line);
  }
  if (names->empty()) {
    *why =
        "names no " + what + " (an empty list would take every " + what + ")";
    return false;
  }
  return true;
}

}  // namespace

bool ReadFilterFiles(BatchOptions& options) {
  struct Filter {
    const char* option;
    const char* what;
    const std::optional<std::string>& file;
    std::string& list;
  };
  for (const Filter& filter :
       {Filter{"--owners-file", "owner", options.owners_file, options.owners},
        Filter{"--tables-file", "table", options.tables_file,
               options.tables}}) {
    if (!filter.file) continue;
    std::string names, why;
    if (!ReadFilterFile(*filter.file, filter.what, &names, &why)) {
      std::fprintf(stderr, "tarvex-compest-batch: %s %s: %s\n", filter.option,
                   filter.file->c_str(), why.c_str());
      return false;
    }
    if (!filter.list.empty()) filter.list += ',';
    filter.list += names;
  }
  return true;
}

}  // namespace tce
