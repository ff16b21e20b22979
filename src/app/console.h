// The command-line tool's desktop: messages go to standard error, nothing
// is ever asked of a user; and the one a database's run uses when several
// run at once, which keeps its messages for the end.
#ifndef TCE_APP_CONSOLE_H_
#define TCE_APP_CONSOLE_H_

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/desktop_port.h"

namespace tce {

// The text a message box becomes on standard error.
inline std::string ConsoleLine(const std::string& title,
                               const std::string& text) {
  return title == "SQL Error" ? "SQL Error: " + text : text;
}

class ConsoleDesktop : public DesktopPort {
 public:
  void ShowMessageBox(const std::string& title,
                      const std::string& text) override {
    EndProgressLine();
    std::fprintf(stderr, "%s\n", ConsoleLine(title, text).c_str());
  }
  std::optional<std::string> AskSaveFileName(SaveDialog,
                                             const std::optional<std::string>&,
                                             ExportFormat) override {
    return std::nullopt;
  }
  void SetWaitCursor(bool) override {}
  void ProcessPendingEvents() override {}
  void* DialogOwnerWindow() override { return nullptr; }

  void ShowProgressLine(const std::string& text) {
    std::fprintf(stderr, "\r%s", text.c_str());
    std::fflush(stderr);
    progress_shown_ = true;
  }
  void EndProgressLine() {
    if (!progress_shown_) return;
    std::fprintf(stderr, "\r%-40s\r", "");
    progress_shown_ = false;
  }

 private:
  bool progress_shown_ = false;
};

// Keeps the lines instead of printing them.
class CollectingDesktop : public DesktopPort {
 public:
  void ShowMessageBox(const std::string& title,
                      const std::string& text) override {
    lines.push_back(ConsoleLine(title, text));
  }
  std::optional<std::string> AskSaveFileName(SaveDialog,
                                             const std::optional<std::string>&,
                                             ExportFormat) override {
    return std::nullopt;
  }
  void SetWaitCursor(bool) override {}
  void ProcessPendingEvents() override {}
  void* DialogOwnerWindow() override { return nullptr; }

  std::vector<std::string> lines;
};

}  // namespace tce

#endif  // TCE_APP_CONSOLE_H_
