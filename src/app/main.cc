// The Tarvex Compression Estimator's window program. It takes no arguments.
#include <QApplication>

#include "ui/main_window.h"
#include "ui/qt_desktop_port.h"
#include "wizard/app_state.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  application.setApplicationName(
      QStringLiteral("Tarvex Compression Estimator"));
  tce::ui::QtDesktopPort desktop;
  tce::AppState app(desktop);
  tce::ui::FormCompression window(app, desktop);
  window.wizard().StartUp();
  return application.exec();
}
