// The desktop port on Qt: modal message boxes, the save-file dialogs, the
// wait cursor and pending events. Tests answer boxes and dialogs through
// hooks instead of leaving them waiting.
#ifndef TCE_UI_QT_DESKTOP_PORT_H_
#define TCE_UI_QT_DESKTOP_PORT_H_

#include <QFileDialog>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "base/desktop_port.h"

namespace tce::ui {

class QtDesktopPort : public DesktopPort {
 public:
  using BoxHook =
      std::function<void(const std::string& title, const std::string& text)>;
  using SaveHook = std::function<std::optional<std::string>(
      SaveDialog which, const std::optional<std::string>& preset)>;

  void ShowMessageBox(const std::string& title,
                      const std::string& text) override;
  // The dialog starts in the folder of the last export (the documents
  // folder the first time), with the file-type filter of the delimiter
  // chosen.
  std::optional<std::string> AskSaveFileName(
      SaveDialog which, const std::optional<std::string>& preset,
      ExportFormat format) override;
  void SetWaitCursor(bool waiting) override;
  void ProcessPendingEvents() override;
  // Drivers here cannot show dialogs owned by a Qt window: none is offered.
  void* DialogOwnerWindow() override { return nullptr; }

  // The window that owns boxes and dialogs when none of the program's is
  // active.
  void SetOwner(QWidget* owner) { owner_ = owner; }
  // The window a message box belongs to: the active one, which asked for
  // it and keeps the keys and its place in front when the box closes.
  QWidget* BoxOwner() const;
  // Each window's own save-file dialog (`SelectFile`), which keeps the name
  // it last held.
  void SetSaveDialog(SaveDialog which, QFileDialog* dialog) {
    dialogs_[which] = dialog;
  }
  // When set, boxes and save dialogs go to the hooks instead of the screen.
  void SetBoxHook(BoxHook hook) { box_hook_ = std::move(hook); }
  void SetSaveHook(SaveHook hook) { save_hook_ = std::move(hook); }

 private:
  QPointer<QWidget> owner_;
  BoxHook box_hook_;
  SaveHook save_hook_;
  bool waiting_ = false;
  std::map<SaveDialog, QPointer<QFileDialog>> dialogs_;
  QString last_folder_;                      // of the last export
  std::map<SaveDialog, QString> last_name_;  // each dialog's last file name
};

}  // namespace tce::ui

#endif  // TCE_UI_QT_DESKTOP_PORT_H_
