// The Tarvex Compression Estimator's window program. Besides --help and
// --version it takes no arguments.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "base/help_topics.h"
#include "ui/main_window.h"
#include "ui/qt_desktop_port.h"
#include "ui/ui_helpers.h"
#include "wizard/app_state.h"

namespace {

constexpr char kUsage[] =
    "usage: tarvex-compest [--help | --version]\n"
    "Estimates, table by table and column by column, what a Tarvex server's\n"
    "row or page compression would save, from the system catalog alone.\n"
    "The windows lead through the disclaimer, the connection, the options\n"
    "and the results; for the same estimate without windows see\n"
    "tarvex-compest-batch(1).\n";

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 ||
        std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("tarvex-compest %s\n", tce::kProgramVersion);
      return 0;
    }
  }
  QApplication application(argc, argv);
  application.setApplicationName(
      QStringLiteral("Tarvex Compression Estimator"));
  application.setDesktopFileName(QStringLiteral("com.tarvex.compest"));
  tce::ui::QtDesktopPort desktop;
  tce::AppState app(desktop);
  tce::ui::MainWindow window(app, desktop);
  window.setWindowIcon(QIcon(tce::ui::PanelImage(64)));
  window.wizard().StartUp();
  return application.exec();
}
