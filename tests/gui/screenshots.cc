// Drives the windows through a session on the demo catalog and saves
// pictures of the panels: screenshots DIR. Run on the offscreen platform.
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/grid_view.h"
#include "ui/history_window.h"
#include "ui/large_results_window.h"
#include "ui/main_window.h"
#include "ui/plan_window.h"
#include "ui/qt_desktop_port.h"
#include "ui/widgets.h"
#include "wizard/app_state.h"

namespace {

// The control with the focus, or the active window.
QWidget* Focus() {
  QWidget* focus = QApplication::focusWidget();
  return focus != nullptr ? focus : QApplication::activeWindow();
}

void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
  QTest::keyClick(Focus(), key, modifiers);
}

// Presses Tab until `name` has the focus.
void TabTo(const char* name) {
  for (int i = 0; i < 30 && Focus()->objectName() != QLatin1String(name); ++i)
    Key(Qt::Key_Tab);
}

// The pictures of one session, saved into a folder.
class Shots {
 public:
  Shots(QString dir, tce::AppState& app, tce::ui::MainWindow& window)
      : dir_(std::move(dir)), app_(app), window_(window) {}

  void Save(QWidget* widget, const char* name) {
    QApplication::processEvents();
    widget->grab().save(dir_ + "/" + QString::fromLatin1(name));
  }

  // The panels up to the results; by keys, a pair of options and
  // Continue (the default button) with the focus.
  void Wizard() {
    Save(&window_, "panel-disclaimer.png");  // the disclaimer's text focused
    QTest::mouseClick(window_.findChild<QPushButton*>("DoContinue_0"),
                      Qt::LeftButton);
    window_.findChild<QLineEdit*>("InputDatabase")->setText("demo");
    window_.findChild<QLineEdit*>("InputUserid")->setText("admin");
    window_.findChild<QLineEdit*>("InputPassword")->setText("secret");
    Save(&window_, "panel-connection.png");
    QTest::mouseClick(window_.findChild<QPushButton*>("DoContinue_1"),
                      Qt::LeftButton);
    Save(&window_, "panel-options.png");
    TabTo("PCTPage");
    Save(&window_, "keys-options.png");
    TabTo("DoContinue_2");
    Save(&window_, "keys-continue.png");
    Key(Qt::Key_Return);
  }

  // Sorted by saving, two tables marked, one table's details; by keys, the
  // list's current cell on a mark, a toolbar button, Why?.
  void Results() {
    tce::ResultsGrid& grid = app_.models.results_grid;
    window_.wizard().OnGridMouseUp(grid, 1, 6, 0);
    window_.wizard().OnGridMouseUp(grid, 1, 0, 1);
    window_.wizard().OnGridMouseUp(grid, 2, 0, 2);
    window_.wizard().OnGridClick(grid, 3, 2);
    Save(&window_, "panel-results.png");
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    Key(Qt::Key_Space);
    Save(&window_, "keys-results.png");
    Key(Qt::Key_Tab);
    Save(&window_, "keys-toolbar.png");
    TabTo("WhyButton");
    Save(&window_, "keys-why.png");
  }

  // A column's saving explained in its tooltip, and the whole table's
  // "why".
  void TooltipAndWhy() {
    auto* columns = window_.findChild<QTableView*>("TableInfo");
    const QRect rect = columns->visualRect(columns->model()->index(2, 3));
    // As the mouse resting on the cell asks for it.
    QHelpEvent rest(QEvent::ToolTip, rect.center(),
                    columns->viewport()->mapToGlobal(rect.center()));
    QApplication::sendEvent(columns->viewport(), &rest);
    QApplication::processEvents();
    // The window and the tooltip, which may reach beyond it, on one canvas.
    QWidget* tip = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->inherits("QTipLabel") && top->isVisible()) tip = top;
    }
    const QRect inside = window_.geometry();
    const QRect canvas =
        tip != nullptr ? inside.united(tip->geometry()) : inside;
    QPixmap picture(canvas.size());
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawPixmap(inside.topLeft() - canvas.topLeft(), window_.grab());
    if (tip != nullptr)
      painter.drawPixmap(tip->pos() - canvas.topLeft(), tip->grab());
    painter.end();
    picture.save(dir_ + "/details-tooltip.png");
    QToolTip::hideText();
    QTest::mouseClick(window_.findChild<QToolButton*>("WhyButton"),
                      Qt::LeftButton);
    Save(&window_.why_window(), "why-view.png");
    window_.why_window().close();
  }

  // Maximised on a large screen, the grids and the chart take the room;
  // magnified with four tables marked and charted; the plan of the result,
  // sorted by what it saves.
  void LargeAndPlan() {
    tce::Wizard& wizard = window_.wizard();
    window_.resize(1600, 1000);
    wizard.OnGridClick(app_.models.results_grid, 5, 2);
    Save(&window_, "main-maximized.png");
    window_.resize(window_.minimumSize());
    wizard.OnToolbar("magnify", app_.models.results_grid);
    wizard.OnToolbar("clear", app_.models.large_grid);
    for (int row : {2, 3, 5, 8})
      wizard.OnGridMouseUp(app_.models.large_grid, row, 0, row);
    wizard.OnToolbar("graph", app_.models.large_grid);
    Save(&window_, "panel-results-magnified.png");
    Save(&window_.schema_list(), "large-results.png");
    wizard.OnToolbar("plan", app_.models.large_grid);
    QHeaderView* header = window_.plan_window()
                              .findChild<QTableView*>("PlanList")
                              ->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(7) + 5, 5));
    Save(&window_.plan_window(), "plan-window.png");
  }

  // The history: a second run that counts each column's own distinct
  // values, then the History window on what changed since the first.
  void HistoryWindow() {
    tce::Wizard& wizard = window_.wizard();
    window_.plan_window().close();
    window_.schema_list().close();
    wizard.OnTabClick(2);
    wizard.OnOptionClick(tce::Control::kColumnCard, true);
    wizard.DoContinue(2);
    wizard.OnToolbar("history", app_.models.results_grid);
    Save(&window_.history_window(), "history-window.png");
  }

 private:
  QString dir_;
  tce::AppState& app_;
  tce::ui::MainWindow& window_;
};

}  // namespace

int main(int argc, char** argv) {
  // A screen of 1280 by 1000 pixels at 96 dots per inch, so that every
  // window fits at its designed size.
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform == nullptr || std::string(platform) == "offscreen")
    setenv("QT_QPA_PLATFORM", "offscreen:configfile=" TCE_DOCS_SCREEN, 1);
  QApplication application(argc, argv);
  const QString dir =
      argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(dir);
  tce::ui::QtDesktopPort desktop;
  desktop.SetBoxHook([](const std::string& title, const std::string& text) {
    std::fprintf(stderr, "BOX %s: %s\n", title.c_str(), text.c_str());
  });
  tce::AppState app(desktop, "/dev/null");
  // Runs are kept in a history of this session alone.
  const std::string history = dir.toStdString() + "/screenshot-runs.db";
  std::remove(history.c_str());
  tce::ui::MainWindow window(app, desktop);
  window.on_end_program = [] {};
  window.wizard().StartUp();
  app.history_file = history;  // the configuration read names none
  if (!QTest::qWaitForWindowActive(&window)) return 1;  // keys need it
  Shots shots(dir, app, window);
  shots.Wizard();
  shots.Results();
  shots.TooltipAndWhy();
  shots.LargeAndPlan();
  shots.HistoryWindow();
  for (const char* suffix : {"", "-wal", "-shm"})
    std::remove((history + suffix).c_str());
  return 0;
}
