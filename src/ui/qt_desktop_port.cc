#include "ui/qt_desktop_port.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

#include "ui/qt_text.h"

namespace tce::ui {

void QtDesktopPort::ShowMessageBox(const std::string& title,
                                   const std::string& text) {
  if (box_hook_) {
    box_hook_(title, text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, FromBytes(title), FromBytes(text),
                  QMessageBox::Ok, BoxOwner());
  // The wait cursor must not hide the box's button.
  const bool waiting = waiting_;
  if (waiting) QApplication::restoreOverrideCursor();
  box.exec();
  if (waiting) QApplication::setOverrideCursor(Qt::WaitCursor);
}

QWidget* QtDesktopPort::BoxOwner() const {
  QWidget* active = QApplication::activeWindow();
  return active != nullptr ? active : owner_.data();
}

std::optional<std::string> QtDesktopPort::AskSaveFileName(
    SaveDialog which, const std::optional<std::string>& preset,
    ExportFormat format) {
  QFileDialog* dialog = dialogs_[which];
  if (last_folder_.isEmpty()) {
    last_folder_ =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (last_folder_.isEmpty() || !QDir(last_folder_).exists())
      last_folder_ = QDir::homePath();
  }
  // ".out" is the name the program proposes, so both delimited filters show
  // it.
  const QString filters[] = {
      QStringLiteral("Tab-delimited files (*.out *.tsv *.txt)"),
      QStringLiteral("Comma-delimited files (*.out *.csv)"),
      QStringLiteral("JSON files (*.json)"),
      QStringLiteral("HTML reports (*.html *.htm)")};
  if (dialog != nullptr) {
    dialog->setNameFilters({filters[0], filters[1], filters[2], filters[3],
                            QStringLiteral("All files (*)")});
    dialog->selectNameFilter(filters[static_cast<int>(format)]);
    dialog->setDirectory(last_folder_);
    const QString name = preset ? FromBytes(*preset) : last_name_[which];
    if (!name.isEmpty()) dialog->selectFile(name);
  }
  std::optional<std::string> chosen;
  if (save_hook_) {
    chosen = save_hook_(which, preset);
  } else if (dialog != nullptr) {
    const bool waiting = waiting_;
    if (waiting) QApplication::restoreOverrideCursor();
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (waiting) QApplication::setOverrideCursor(Qt::WaitCursor);
    if (accepted && !dialog->selectedFiles().isEmpty())
      chosen = ToBytes(dialog->selectedFiles().constFirst());
  }
  if (chosen && !chosen->empty()) {
    const QFileInfo file(FromBytes(*chosen));
    last_folder_ = file.absolutePath();
    last_name_[which] = file.fileName();
    if (dialog != nullptr) {
      dialog->setDirectory(last_folder_);
      dialog->selectFile(file.fileName());
    }
  }
  return chosen;
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
