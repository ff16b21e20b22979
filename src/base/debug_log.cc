#include "base/debug_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tce {
namespace {

constexpr size_t kTextColumn = 20;  // counted from 1

}  // namespace

std::string FormatLogEntry(std::string_view category, std::string_view text) {
  std::string entry;
  entry.reserve(category.size() + text.size() + kTextColumn + 4);
  if (category == "SQL") {
    entry.append("SQL\r\n");
  } else {
    entry.append(category);
    if (category.size() >= kTextColumn) {
      entry.append("\r\n");
      entry.append(kTextColumn - 1, ' ');
    } else {
      entry.append(kTextColumn - 1 - category.size(), ' ');
    }
  }
  entry.append(text);
  entry.append("\r\n");
  return entry;
}

void DebugLog::WriteLog(std::string_view category,
                        std::string_view text) const {
  // Never through a link, and never into a file of someone else's: an
  // entry that cannot go into a file of the user's own is dropped.
  const int fd = open(path_.c_str(),
                      O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                      0600);
  if (fd < 0) return;
  struct stat file {};
  if (fstat(fd, &file) == 0 && S_ISREG(file.st_mode) &&
      file.st_uid == geteuid()) {
    const std::string entry = FormatLogEntry(category, text);
    if (write(fd, entry.data(), entry.size()) < 0) {
      // dropped, as the next entry may get through
    }
  }
  close(fd);
}

bool DebugLog::StartAfresh(std::string* why) const {
  if (unlink(path_.c_str()) != 0 && errno != ENOENT) {
    *why = std::strerror(errno);
    return false;
  }
  // A new file of the user's own; one that appeared meanwhile is not.
  const int fd = open(path_.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      0600);
  if (fd < 0) {
    *why = std::strerror(errno);
    return false;
  }
  close(fd);
  return true;
}

void Reporter::ShowMessage(const std::string& text) const {
  Log("Message", text);
  desktop_.ShowMessageBox(kProgramTitle, text);
}

}  // namespace tce
