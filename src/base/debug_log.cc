#include "base/debug_log.h"

#include <cstdio>

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
  std::FILE* file = std::fopen(path_.c_str(), "ab");
  if (file == nullptr) return;
  const std::string entry = FormatLogEntry(category, text);
  std::fwrite(entry.data(), 1, entry.size(), file);
  std::fclose(file);
}

void DebugLog::Delete() const { std::remove(path_.c_str()); }

void Reporter::ShowMessage(const std::string& text) const {
  Log("Message", text);
  desktop_.ShowMessageBox(kProgramTitle, text);
}

}  // namespace tce
