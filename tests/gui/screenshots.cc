// Drives the windows through a session on the demo catalog and saves
// pictures of the panels: screenshots DIR. Run on the offscreen platform.
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QTableView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>
#include <QPainter>
#include <QToolButton>

#include "ui/grid_view.h"
#include "ui/large_results_window.h"
#include "ui/main_window.h"
#include "ui/plan_window.h"
#include "ui/widgets.h"
#include "ui/qt_desktop_port.h"
#include "wizard/app_state.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QString dir =
      argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(dir);
  tce::ui::QtDesktopPort desktop;
  desktop.SetBoxHook([](const std::string&, const std::string&) {});
  tce::AppState app(desktop, "/dev/null");
  tce::ui::MainWindow window(app, desktop);
  window.on_end_program = [] {};
  window.wizard().StartUp();
  auto save = [&](QWidget* widget, const char* name) {
    QApplication::processEvents();
    widget->grab().save(dir + "/" + QString::fromLatin1(name));
  };
  save(&window, "panel-disclaimer.png");
  QTest::mouseClick(window.findChild<QPushButton*>("DoContinue_0"),
                    Qt::LeftButton);
  window.findChild<QLineEdit*>("InputDatabase")->setText("demo");
  window.findChild<QLineEdit*>("InputUserid")->setText("admin");
  window.findChild<QLineEdit*>("InputPassword")->setText("secret");
  save(&window, "panel-connection.png");
  QTest::mouseClick(window.findChild<QPushButton*>("DoContinue_1"),
                    Qt::LeftButton);
  save(&window, "panel-options.png");
  QTest::mouseClick(window.findChild<QPushButton*>("DoContinue_2"),
                    Qt::LeftButton);
  // Sort by saving, mark two tables, show one table's details.
  tce::Wizard& wizard = window.wizard();
  wizard.OnGridMouseUp(app.models.results_grid, 1, 6, 0);
  wizard.OnGridMouseUp(app.models.results_grid, 1, 0, 1);
  wizard.OnGridMouseUp(app.models.results_grid, 2, 0, 2);
  wizard.OnGridClick(app.models.results_grid, 3, 2);
  save(&window, "panel-results.png");
  // A column's saving explained in its tooltip, and the whole table's "why".
  {
    auto* columns = window.findChild<QTableView*>("TableInfo");
    const QModelIndex cell = columns->model()->index(2, 3);
    const QRect rect = columns->visualRect(cell);
    const QPoint at = columns->viewport()->mapToGlobal(rect.center());
    QToolTip::showText(at, columns->model()->data(cell, Qt::ToolTipRole).toString(),
                       columns->viewport());
    QApplication::processEvents();
    QPixmap picture = window.grab();
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->inherits("QTipLabel") && top->isVisible()) {
        QPainter painter(&picture);
        painter.drawPixmap(window.mapFromGlobal(top->pos()), top->grab());
      }
    }
    picture.save(dir + "/details-tooltip.png");
    QToolTip::hideText();
    QTest::mouseClick(window.findChild<QToolButton*>("WhyButton"), Qt::LeftButton);
    save(&window.why_window(), "why-view.png");
    window.why_window().close();
  }
  // Maximised on a large screen: the grids and the chart take the room.
  window.resize(1600, 1000);
  wizard.OnGridClick(app.models.results_grid, 5, 2);
  save(&window, "main-maximized.png");
  window.resize(window.minimumSize());
  wizard.OnToolbar("magnify", app.models.results_grid);
  for (int row : {2, 3, 5, 8})
    wizard.OnGridMouseUp(app.models.large_grid, row, 0, row);
  wizard.OnToolbar("graph", app.models.large_grid);
  save(&window, "panel-results-magnified.png");
  save(&window.schema_list(), "large-results.png");
  // The plan of the result, sorted by what it saves.
  wizard.OnToolbar("plan", app.models.large_grid);
  window.plan_window().resize(980, 760);
  QHeaderView* plan_header =
      window.plan_window().findChild<QTableView*>("PlanList")->horizontalHeader();
  QTest::mouseClick(plan_header->viewport(), Qt::LeftButton, {},
                    QPoint(plan_header->sectionViewportPosition(7) + 5, 5));
  save(&window.plan_window(), "plan-window.png");
  return 0;
}
