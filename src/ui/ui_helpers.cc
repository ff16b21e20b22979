#include "ui/ui_helpers.h"

#include <QAction>
#include <QPainter>
#include <QStyle>

namespace tce::ui {
namespace {

struct ToolButton {
  const char* key;
  const char* tooltip;
  QStyle::StandardPixmap icon;
};

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
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const double unit = size / 10.0;
  painter.setPen(QPen(QColor(40, 70, 120), unit * 0.15));
  for (int i = 0; i < 3; ++i) {
    painter.setBrush(QColor(200 - i * 30, 215 - i * 25, 240));
    painter.drawRect(QRectF(unit * (0.8 + i * 0.6), unit * (0.6 + i * 0.6),
                            unit * 4.2, unit * 5.0));
  }
  painter.setBrush(QColor(90, 170, 90));
  painter.drawRect(QRectF(unit * 6.2, unit * 6.6, unit * 3.0, unit * 2.6));
  QPolygonF arrow;
  arrow << QPointF(unit * 6.0, unit * 3.4) << QPointF(unit * 8.6, unit * 3.4)
        << QPointF(unit * 8.6, unit * 4.6) << QPointF(unit * 9.4, unit * 4.6)
        << QPointF(unit * 7.3, unit * 6.2) << QPointF(unit * 5.2, unit * 4.6)
        << QPointF(unit * 6.0, unit * 4.6);
  painter.setBrush(QColor(230, 140, 40));
  painter.drawPolygon(arrow);
  return pixmap;
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

// Builds a results toolbar with its keyed buttons, in their order.
QToolBar* ResultsToolbar(
    QWidget* parent, bool with_magnify, const char* exit_tooltip,
    const std::function<void(const std::string&)>& pressed) {
  QToolBar* bar = Make<QToolBar>("TB", parent);
  bar->setIconSize(QSize(16, 16));
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setStyleSheet(
      QStringLiteral("QToolBar { spacing: 1px; padding: 0px; }"));
  const ToolButton buttons[] = {
      {"graph", "Graph the selected tables", QStyle::SP_FileDialogContentsView},
      {"clear", "Clear all of the selected tables",
       QStyle::SP_DialogResetButton},
      {"output", "Copy results to disk", QStyle::SP_DialogSaveButton},
      {"magnify", "Separate results as a new window",
       QStyle::SP_TitleBarMaxButton},
      {"exit", exit_tooltip, QStyle::SP_DialogCloseButton},
  };
  for (const ToolButton& button : buttons) {
    if (!with_magnify && std::string(button.key) == "magnify") continue;
    if (std::string(button.key) == "output") bar->addSeparator();
    QAction* action = bar->addAction(bar->style()->standardIcon(button.icon),
                                     QString::fromLatin1(button.tooltip));
    action->setObjectName(QString::fromLatin1(button.key));
    action->setToolTip(QString::fromLatin1(button.tooltip));
    const std::string key = button.key;
    QObject::connect(action, &QAction::triggered, bar,
                     [pressed, key] { pressed(key); });
  }
  return bar;
}

}  // namespace tce::ui
