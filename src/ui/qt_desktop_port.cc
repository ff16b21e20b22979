#include "ui/qt_desktop_port.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "ui/qt_text.h"

namespace tce::ui {

void QtDesktopPort::ShowMessageBox(const std::string& title,
                                   const std::string& text) {
  if (box_hook_) {
    box_hook_(title, text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, FromBytes(title), FromBytes(text),
                  QMessageBox::Ok, owner_);
  // The wait cursor must not hide the box's button.
  const bool waiting = waiting_;
  if (waiting) QApplication::restoreOverrideCursor();
  box.exec();
  if (waiting) QApplication::setOverrideCursor(Qt::WaitCursor);
}

std::optional<std::string> QtDesktopPort::AskSaveFileName(
    SaveDialog which, const std::optional<std::string>& preset) {
  QFileDialog* dialog = dialogs_[which];
  if (dialog != nullptr && preset) dialog->selectFile(FromBytes(*preset));
  if (save_hook_) {
    std::optional<std::string> answer = save_hook_(which, preset);
    if (answer && dialog != nullptr) dialog->selectFile(FromBytes(*answer));
    return answer;
  }
  if (dialog == nullptr) return std::nullopt;
  const bool waiting = waiting_;
  if (waiting) QApplication::restoreOverrideCursor();
  const bool accepted = dialog->exec() == QDialog::Accepted;
  if (waiting) QApplication::setOverrideCursor(Qt::WaitCursor);
  if (!accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
  return ToBytes(dialog->selectedFiles().constFirst());
}

void QtDesktopPort::SetWaitCursor(bool waiting) {
  if (waiting == waiting_) return;
  waiting_ = waiting;
  if (waiting) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void QtDesktopPort::ProcessPendingEvents() {
  QCoreApplication::processEvents();
}

}  // namespace tce::ui
