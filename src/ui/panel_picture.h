// The program's picture: a stack of pages pressed into a smaller one. The
// panels show it, and the installed icons are drawn from it.
#ifndef TCE_UI_PANEL_PICTURE_H_
#define TCE_UI_PANEL_PICTURE_H_

#include <QImage>

namespace tce::ui {

// The picture, `size` pixels square, on a transparent ground. Needs no
// running application.
QImage PanelPicture(int size);

}  // namespace tce::ui

#endif  // TCE_UI_PANEL_PICTURE_H_
