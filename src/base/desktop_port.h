// What only the desktop can do for the program's logic: modal message boxes,
// the save-file dialog, the wait cursor and letting pending window events
// run. The Qt layer implements it for real; the command-line tool answers
// on the terminal; tests use an in-memory one.
#ifndef TCE_BASE_DESKTOP_PORT_H_
#define TCE_BASE_DESKTOP_PORT_H_

#include <optional>
#include <string>

#include "base/export_format.h"

namespace tce {

// The save-file dialogs: each window has its own, which keeps the name it
// last held.
enum class SaveDialog { kMain, kLargeResults, kPlan };

class DesktopPort {
 public:
  virtual ~DesktopPort() = default;

  // Shows a modal box with the text, one OK button and no icon; returns when
  // the user has pressed OK.
  virtual void ShowMessageBox(const std::string& title,
                              const std::string& text) = 0;

  // Shows the save-file dialog `which`, with its file name preset to
  // `preset` when given (otherwise the name it last held), for a file of
  // `format`. Returns the chosen file's path, or nullopt when the user
  // cancelled.
  virtual std::optional<std::string> AskSaveFileName(
      SaveDialog which, const std::optional<std::string>& preset,
      ExportFormat format) = 0;

  // Shows the hourglass (true) or the normal pointer (false).
  virtual void SetWaitCursor(bool waiting) = 0;

  // Lets the window system handle the events that are waiting, so that
  // progress repaints during a long run.
  virtual void ProcessPendingEvents() = 0;

  // The native window that owns the driver's connect dialog, or null when
  // there is none.
  virtual void* DialogOwnerWindow() = 0;
};

}  // namespace tce

#endif  // TCE_BASE_DESKTOP_PORT_H_
