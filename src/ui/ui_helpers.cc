#include "ui/ui_helpers.h"

#include <QAction>
#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

#include "ui/panel_picture.h"
#include "ui/widgets.h"

namespace tce::ui {
namespace {

struct ToolButton {
  const char* key;
  const char* tooltip;
  QStyle::StandardPixmap icon;
};

// The window's frame round its inside. Before a window manager has framed
// it, a title bar's height above and a thin edge elsewhere are assumed.
QMargins FrameMargins(const QWidget* window) {
  const QRect outer = window->frameGeometry();
  const QRect inner = window->geometry();
  const QMargins known(inner.left() - outer.left(), inner.top() - outer.top(),
                       outer.right() - inner.right(),
                       outer.bottom() - inner.bottom());
  if (!known.isNull()) return known;
  const int edge = 4;
  return {edge, 2 * window->fontMetrics().height() + edge, edge, edge};
}

QRect AvailableArea(const QWidget* window) {
  const QScreen* screen = window->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry()
                           : QRect(0, 0, 1280, 800);
}

}  // namespace

void Place(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

QLabel* Label(const char* name, const QString& text, QWidget* parent, int left,
              int top, int width, int height, bool wrap) {
  QLabel* label = Make<QLabel>(name, parent);
  label->setText(text);
  label->setWordWrap(wrap);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Place(label, left, top, width, height);
  return label;
}

// The panels' picture: a stack of pages pressed into a smaller one.
QPixmap PanelImage(int size) {
  return QPixmap::fromImage(PanelPicture(size));
}

// A window's `SelectFile`: no default extension, the default title;
// replacing a file is confirmed as the toolkit does. The desktop port sets
// its folder and file-type filters when it shows it.
QFileDialog* SaveFileDialog(QWidget* parent) {
  auto* dialog = new QFileDialog(parent);
  dialog->setObjectName(QStringLiteral("SelectFile"));
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  return dialog;
}

bool OpenHelpOfFocus(QWidget* window) {
  // The control that has (or last had) the focus within the window.
  QWidget* at = window->focusWidget();
  if (at == nullptr) at = window;
  for (; at != nullptr; at = at->parentWidget()) {
    if (InfoLabel* info = InfoLabel::Of(at)) {
      if (info->on_click) info->on_click();
      return true;
    }
    if (at == window) break;
  }
  return false;
}

bool PressFocusedButton(QWidget* window, const QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
    return false;
  QWidget* focus = window->focusWidget();
  if (qobject_cast<QPushButton*>(focus) == nullptr &&
      qobject_cast<QToolButton*>(focus) == nullptr) {
    return false;
  }
  static_cast<QAbstractButton*>(focus)->click();
  return true;
}

void KeepOnScreen(QWidget* window) {
  const QRect area = AvailableArea(window);
  const QMargins frame = FrameMargins(window);
  const QSize room = area.size().shrunkBy(frame);
  if (window->width() > room.width() || window->height() > room.height()) {
    window->resize(
        window->size().boundedTo(room).expandedTo(window->minimumSize()));
  }
  // pos() is the frame's corner; size() the inside.
  const QSize outer = window->size().grownBy(frame);
  const int x =
      std::clamp(window->x(), area.left(),
                 std::max(area.left(), area.right() + 1 - outer.width()));
  const int y =
      std::clamp(window->y(), area.top(),
                 std::max(area.top(), area.bottom() + 1 - outer.height()));
  window->move(x, y);
}

void PlaceBeside(QWidget* window, QWidget* owner) {
  constexpr int kGap = 8;
  const QRect near = owner->window()->frameGeometry();
  const QRect area = AvailableArea(owner);
  const int width = window->size().grownBy(FrameMargins(window)).width();
  int x = near.right() + 1 + kGap;
  if (x + width > area.right() + 1) x = near.left() - kGap - width;
  if (x < area.left()) x = near.center().x() - width / 2;
  window->move(x, near.top());
  KeepOnScreen(window);
}

// Builds a results toolbar with its keyed buttons, in their order.
QToolBar* ResultsToolbar(
    QWidget* parent, bool with_magnify, const char* exit_tooltip,
    const std::function<void(const std::string&)>& pressed) {
  QToolBar* bar = Make<QToolBar>("TB", parent);
  bar->setIconSize(QSize(16, 16));
  bar->setMovable(false);
  bar->setFloatable(false);
  // Room round each button for the ring that shows the focus.
  bar->setStyleSheet(
      QStringLiteral("QToolBar { spacing: 4px; padding: 3px; }"));
  const ToolButton buttons[] = {
      {"graph", "Graph the selected tables", QStyle::SP_FileDialogContentsView},
      {"clear", "Clear all of the selected tables",
       QStyle::SP_DialogResetButton},
      {"output", "Copy results to disk", QStyle::SP_DialogSaveButton},
      {"magnify", "Separate results as a new window",
       QStyle::SP_TitleBarMaxButton},
      {"plan", "Plan which tables to compress, and how (Ctrl+P)",
       QStyle::SP_FileDialogDetailedView},
      {"report", "Save a report of this result to hand on (HTML)",
       QStyle::SP_FileIcon},
      {"history", "The runs of this database kept in the history (Ctrl+H)",
       QStyle::SP_BrowserReload},
      {"exit", exit_tooltip, QStyle::SP_DialogCloseButton},
  };
  for (const ToolButton& button : buttons) {
    if (!with_magnify && std::string(button.key) == "magnify") continue;
    if (std::string(button.key) == "output" ||
        std::string(button.key) == "plan") {
      bar->addSeparator();
    }
    QAction* action = bar->addAction(bar->style()->standardIcon(button.icon),
                                     QString::fromLatin1(button.tooltip));
    action->setObjectName(QString::fromLatin1(button.key));
    action->setToolTip(QString::fromLatin1(button.tooltip));
    const std::string key = button.key;
    if (key == "plan" || key == "history") {
      action->setShortcut(
          QKeySequence(Qt::CTRL | (key == "plan" ? Qt::Key_P : Qt::Key_H)));
      action->setShortcutContext(Qt::WindowShortcut);
    }
    QObject::connect(action, &QAction::triggered, bar,
                     [pressed, key] { pressed(key); });
    // Reached by Tab like any other button, pressed with Space.
    if (QWidget* tool = bar->widgetForAction(action)) {
      tool->setFocusPolicy(Qt::TabFocus);
      tool->setObjectName(QString::fromLatin1(button.key) +
                          QStringLiteral("Button"));
    }
  }
  return bar;
}

}  // namespace tce::ui
