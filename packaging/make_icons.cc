// Draws the program's icon at the sizes the desktop asks for:
//   make_icons DIR  writes DIR/<size>/tarvex-compest.png
#include <QDir>
#include <QString>
#include <cstdio>

#include "ui/panel_picture.h"

int main(int argc, char** argv) {
  if (argc != 2) return 64;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString dir =
        QString::fromLocal8Bit(argv[1]) + "/" + QString::number(size);
    QDir().mkpath(dir);
    if (!tce::ui::PanelPicture(size).save(dir + "/tarvex-compest.png")) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(dir));
      return 1;
    }
  }
  return 0;
}
