// The debug log file and the one routine that shows messages to the user.
#ifndef TCE_BASE_DEBUG_LOG_H_
#define TCE_BASE_DEBUG_LOG_H_

#include <string>
#include <string_view>

#include "base/desktop_port.h"
#include "base/run_settings.h"

namespace tce {

inline constexpr char kDebugLogFileName[] = "TARVEXCOMPRESS.DBG";
inline constexpr char kProgramTitle[] = "Tarvex Compression Estimator";

// Appends entries to the debug log. The file is opened, appended to and
// closed for every entry, so it is complete up to the last entry even when
// the program is killed; an entry that cannot be written is dropped
// silently and the next one tries again. Entries go only into a regular
// file of the user's own, never through a link.
class DebugLog {
 public:
  // `path` defaults to the bare name, that is the current directory.
  explicit DebugLog(std::string path = kDebugLogFileName)
      : path_(std::move(path)) {}

  // Writes one entry. Category "SQL": a line "SQL", then the text on the
  // following line(s). Any other category: the category padded with blanks
  // to column 19 and the text from column 20; a category of 20 characters or
  // more is followed by a line end and 19 blanks before the text. Lines end
  // in CR LF. Does not test the switches: callers do.
  void WriteLog(std::string_view category, std::string_view text) const;

  // Starts the log afresh: removes the file (a missing file is no error)
  // and makes a new, empty one of the user's own. False, with the reason,
  // when that cannot be done (a file of someone else's in a shared folder,
  // a link made meanwhile).
  bool StartAfresh(std::string* why) const;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The entry exactly as WriteLog appends it.
std::string FormatLogEntry(std::string_view category, std::string_view text);

// Where the program's diagnostic lines go: the debug log, when its switches
// are on. The engine and the database layer write through this alone; they
// never show anything to the user. Holds references; the owner outlives it.
class Logger {
 public:
  Logger(const RunSettings& settings, const DebugLog& log)
      : settings_(settings), log_(log) {}

  bool debug() const { return settings_.DebugLog; }
  bool log_sql() const { return settings_.LogSQL; }

  // Writes an entry when DebugLog is on.
  void Log(std::string_view category, std::string_view text) const {
    if (settings_.DebugLog) log_.WriteLog(category, text);
  }
  // Writes an entry unconditionally (the caller has tested a switch).
  void WriteLog(std::string_view category, std::string_view text) const {
    log_.WriteLog(category, text);
  }

  const DebugLog& log() const { return log_; }

 private:
  const RunSettings& settings_;
  const DebugLog& log_;
};

// What the windows and the command-line tool use to tell the user: the log
// and the desktop's message boxes.
class Reporter : public Logger {
 public:
  Reporter(const RunSettings& settings, const DebugLog& log,
           DesktopPort& desktop)
      : Logger(settings, log), desktop_(desktop) {}

  // Logs the text under "Message" when DebugLog is on, then shows it in a
  // modal box titled "Tarvex Compression Estimator" and returns when the
  // user pressed OK.
  void ShowMessage(const std::string& text) const;

  // Shows a box with another title, without logging it.
  void ShowBox(const std::string& title, const std::string& text) const {
    desktop_.ShowMessageBox(title, text);
  }

  DesktopPort& desktop() const { return desktop_; }

 private:
  DesktopPort& desktop_;
};

}  // namespace tce

#endif  // TCE_BASE_DEBUG_LOG_H_
