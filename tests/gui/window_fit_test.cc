// The windows fit and agree, on a screen 1000 pixels high at 120 dots per
// inch (this program's own platform settings): each opens wholly inside
// the screen, wherever the main window stands; grids and the plan's chart
// fit at their designed sizes; tooltips wrap; the list moves between the
// windows as the user left it.
#include <QAction>
#include <QChartView>
#include <QGraphicsTextItem>
#include <QHeaderView>
#include <QHelpEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QToolBar>
#include <QToolTip>

#include "gui_fixture.h"
#include "ui/plan_window.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"

namespace tce {
namespace {

class WindowFitTest : public ::tce::testing::GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    Start();
    area_ = window_->screen()->availableGeometry();
    ASSERT_EQ(area_.height(), 1000);
    // In the screen's lower right corner, where a window opened beside it
    // or over it would reach beyond the edges.
    const QRect frame = window_->frameGeometry();
    window_->move(area_.right() + 1 - frame.width(),
                  area_.bottom() + 1 - frame.height());
    ConnectTo("demo");
    Click("DoContinue_2");
    ASSERT_EQ(TabStates(), "--EE 3");
  }
  void Press(QWidget* window, const char* key) {
    window->findChild<QToolBar*>("TB")->findChild<QAction*>(key)->trigger();
  }
  void ExpectInside(QWidget* window) {
    ASSERT_TRUE(window->isVisible()) << window->objectName().toStdString();
    const QRect frame = window->frameGeometry();
    EXPECT_TRUE(area_.contains(frame))
        << window->objectName().toStdString() << " at " << frame.x() << ","
        << frame.y() << " " << frame.width() << "x" << frame.height();
  }
  // No sideways scrolling, and every header's text whole.
  void ExpectColumnsFit(QTableView* grid) {
    QApplication::processEvents();
    EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
    int total = 0;
    for (int col = 0; col < grid->model()->columnCount(); ++col) {
      const QString header =
          grid->model()->headerData(col, Qt::Horizontal).toString();
      EXPECT_LE(
          grid->horizontalHeader()->fontMetrics().horizontalAdvance(header) + 4,
          grid->columnWidth(col))
          << header.toStdString();
      total += grid->columnWidth(col);
    }
    EXPECT_LE(total, grid->viewport()->width());
  }
  int RowOf(const std::string& table) {
    const ResultsGrid& grid = app_->models.results_grid;
    for (int row = 1; row <= grid.RowCount(); ++row)
      if (grid.Row(row).table == table) return row;
    return 0;
  }
  QRect area_;
};

TEST_F(WindowFitTest, TheMainWindowOpensInside) { ExpectInside(window_.get()); }

TEST_F(WindowFitTest, TheLargeResultsWindowOpensInside) {
  Press(window_.get(), "magnify");
  ExpectInside(&window_->schema_list());
}

TEST_F(WindowFitTest, ThePlanWindowOpensInside) {
  Press(window_.get(), "plan");
  ExpectInside(&window_->plan_window());
}

TEST_F(WindowFitTest, TheHelpAndWhyWindowsOpenInside) {
  window_->ShowHelp("TarvexComp-Results.hlp", window_.get());
  ExpectInside(&window_->help_window());
  window_->wizard().OnGridClick(app_->models.results_grid, 1, 2);
  window_->ShowWhy();
  ExpectInside(&window_->why_window());
}

// The details of the widest demo table, and the plan's list and chart.
TEST_F(WindowFitTest, GridsAndChartFitAtTheirDesignedSizes) {
  window_->wizard().OnGridClick(app_->models.results_grid, RowOf("wide_import"),
                                2);
  auto* details = Get<QTableView>("TableInfo");
  ASSERT_GT(details->model()->rowCount(), 10);
  ExpectColumnsFit(details);
  EXPECT_TRUE(details->verticalScrollBar()->isVisible());  // less room
  Press(window_.get(), "plan");
  ui::PlanWindow& plan = window_->plan_window();
  auto* list = plan.findChild<QTableView*>("PlanList");
  ExpectColumnsFit(list);
  for (const PlanColumn& column : PlanColumns())  // none had to give way
    EXPECT_GE(list->columnWidth(column.id), ui::Px(column.least_twips));
  QStringList labels;
  for (QGraphicsItem* item :
       plan.findChild<QChartView*>("PlanChart")->scene()->items()) {
    if (auto* text = dynamic_cast<QGraphicsTextItem*>(item))
      labels << text->toPlainText();
  }
  for (Msg group : {Msg::kPlanLeave, Msg::kPlanNoStatistics})
    EXPECT_TRUE(labels.contains(QString::fromStdString(app_->messages[group])))
        << labels.join('|').toStdString();
}

// A column's explanation is a paragraph, not one line across the screen.
TEST_F(WindowFitTest, TooltipsWrapAtAReadableWidth) {
  window_->wizard().OnGridClick(app_->models.results_grid,
                                RowOf("Config_History"), 2);
  auto* details = Get<QTableView>("TableInfo");
  const QRect cell =
      details->visualRect(details->model()->index(3, kDetailSavedCol));
  QHelpEvent event(QEvent::ToolTip, cell.center(),
                   details->viewport()->mapToGlobal(cell.center()));
  QApplication::sendEvent(details->viewport(), &event);
  const QStringList lines = QToolTip::text().split('\n');
  ASSERT_GT(lines.size(), 1);
  for (const QString& line : lines) EXPECT_LE(line.size(), 80);
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->inherits("QTipLabel") && top->isVisible()) {
      EXPECT_LE(top->width(), ui::Px(8000));
    }
  }
  QToolTip::hideText();
}

// Marking all keeps the order, and the sort arrow stays on the sorted
// column; the list takes its order and marks into the large window.
TEST_F(WindowFitTest, TheListKeepsItsOrderArrowAndMarks) {
  auto* grid = Get<QTableView>("TableDetails");
  QHeaderView* header = grid->horizontalHeader();
  for (int col : {kTableCol, kMarkCol}) {
    QTest::mouseClick(
        header->viewport(), Qt::LeftButton, {},
        QPoint(header->sectionViewportPosition(col) + 5, header->height() / 2));
  }
  EXPECT_EQ(header->sortIndicatorSection(), kTableCol);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
  app_->models.results_grid.ToggleMark(3);  // unmarked
  Press(window_.get(), "magnify");
  const ResultsGrid& large = app_->models.large_grid;
  const ResultsGrid& main = app_->models.results_grid;
  for (int row = 1; row <= main.RowCount(); ++row) {
    ASSERT_EQ(large.Row(row).table, main.Row(row).table) << row;
    ASSERT_EQ(large.Marked(row), row != 3) << row;
  }
  EXPECT_EQ(window_->schema_list()
                .findChild<QTableView*>("TableDetails")
                ->horizontalHeader()
                ->sortIndicatorSection(),
            kTableCol);
}

}  // namespace
}  // namespace tce
