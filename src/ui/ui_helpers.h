// Helpers the windows share: placing controls in twips, named controls,
// the panels' picture, the save-file dialog, the results toolbar and
// placing windows on the screen.
#ifndef TCE_UI_UI_HELPERS_H_
#define TCE_UI_UI_HELPERS_H_

#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QString>
#include <QToolBar>
#include <QWidget>
#include <functional>
#include <string>

#include "ui/qt_text.h"

namespace tce::ui {

// The designed size of a panel, in twips.
inline constexpr int kPageWidth = 12360;
inline constexpr int kPageHeight = 7440;

// Sets a widget's geometry in twips.
void Place(QWidget* widget, int left, int top, int width, int height);

template <typename T>
T* Make(const char* name, QWidget* parent) {
  T* widget = new T(parent);
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* Label(const char* name, const QString& text, QWidget* parent, int left,
              int top, int width, int height, bool wrap = false);

// The panels' picture: a stack of pages pressed into a smaller one.
QPixmap PanelImage(int size);

// A window's `SelectFile`, the save-file dialog of its export.
QFileDialog* SaveFileDialog(QWidget* parent);

// Opens the help topic of the group the focused control of `window` belongs
// to (F1): the information label nearest above it. False when it has none.
bool OpenHelpOfFocus(QWidget* window);

// Enter on a focused push or tool button of `window` presses it, as Space
// does. True when it did.
bool PressFocusedButton(QWidget* window, const QKeyEvent* event);

// Moves a window, and shrinks it when it must, so that it lies wholly
// inside the available area of its screen, its frame included.
void KeepOnScreen(QWidget* window);
// Places a window beside `owner`'s window, its top level with the owner's:
// to the right when there is room, else to the left, else centred over it;
// then keeps it on the screen.
void PlaceBeside(QWidget* window, QWidget* owner);

// A results toolbar with its keyed buttons, in their order; `pressed` gets
// the key.
QToolBar* ResultsToolbar(
    QWidget* parent, bool with_magnify, const char* exit_tooltip,
    const std::function<void(const std::string&)>& pressed);

}  // namespace tce::ui

#endif  // TCE_UI_UI_HELPERS_H_
