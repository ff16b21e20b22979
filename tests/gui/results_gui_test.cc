// The results panel and the large-results window driven as a user drives
// them.
#include <QAbstractItemModelTester>
#include <QAction>
#include <QChartView>
#include <QPushButton>
#include <QTableWidget>
#include <QSpinBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QValueAxis>
#include <filesystem>

#include "gui_fixture.h"
#include "ui/grid_view.h"
#include "ui/plan_window.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"

namespace tce {
namespace {

using ::tce::testing::GuiTest;
using ::tce::testing::ReadFileBytes;

class ResultsGuiTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    Start();
    ConnectTo("demo");
    Click("DoContinue_2");
    ASSERT_EQ(TabStates(), "--EE 3");
  }
  QTableView* MainGrid() { return Get<QTableView>("TableDetails"); }
  QTableView* LargeGrid() {
    return window_->schema_list().findChild<QTableView*>("TableDetails");
  }
  // Presses a toolbar button by its key.
  void Press(QWidget* window, const char* key) {
    QToolBar* bar = window->findChild<QToolBar*>("TB");
    ASSERT_NE(bar, nullptr);
    QAction* action = bar->findChild<QAction*>(key);
    ASSERT_NE(action, nullptr) << key;
    action->trigger();
  }
  void ClickCell(QTableView* view, int view_row, int col) {
    const QRect cell = view->visualRect(view->model()->index(view_row, col));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
  }
  void ClickHeader(QTableView* view, int col) {
    auto* header = view->horizontalHeader();
    QTest::mouseClick(
        header->viewport(), Qt::LeftButton, {},
        QPoint(header->sectionViewportPosition(col) + 5, header->height() / 2));
  }
};

TEST_F(ResultsGuiTest, ClickingATableShowsItsDetails) {
  ClickCell(MainGrid(), 0, 2);  // Audit.Config_History
  EXPECT_EQ(Get<QLabel>("TableNameGraph")->text(), "Config_History");
  EXPECT_TRUE(window_->chart().isVisible());
  EXPECT_EQ(window_->chart().SizeLabel(), "Size: 448 Pages");
  EXPECT_EQ(app_->models.details.lines().size(), 4u);
  EXPECT_EQ(Get<QTableView>("TableInfo")->model()->rowCount(), 4);
  // The mark column toggles the mark and leaves the details; any button.
  ClickCell(MainGrid(), 3, 0);
  EXPECT_TRUE(app_->models.results_grid.Marked(4));
  const QRect mark = MainGrid()->visualRect(MainGrid()->model()->index(3, 0));
  QTest::mouseClick(MainGrid()->viewport(), Qt::RightButton, {}, mark.center());
  EXPECT_FALSE(app_->models.results_grid.Marked(4));
  const QRect other = MainGrid()->visualRect(MainGrid()->model()->index(5, 2));
  QTest::mouseClick(MainGrid()->viewport(), Qt::RightButton, {},
                    other.center());
  EXPECT_EQ(Get<QLabel>("TableNameGraph")->text(), "Config_History");
}

TEST_F(ResultsGuiTest, HeaderClicksSortAndMarkAll) {
  const ResultsGrid& grid = app_->models.results_grid;
  ClickHeader(MainGrid(), 6);
  for (int row = 2; row <= grid.RowCount(); ++row) {
    EXPECT_GE(SavedWholePct(grid.Row(row - 1), Method::kPage),
              SavedWholePct(grid.Row(row), Method::kPage));
  }
  auto* header = MainGrid()->horizontalHeader();
  EXPECT_TRUE(header->isSortIndicatorShown());
  EXPECT_EQ(header->sortIndicatorSection(), 6);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
  // A second click reverses the order.
  ClickHeader(MainGrid(), 6);
  for (int row = 2; row <= grid.RowCount(); ++row) {
    EXPECT_LE(SavedWholePct(grid.Row(row - 1), Method::kPage),
              SavedWholePct(grid.Row(row), Method::kPage));
  }
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
  ClickHeader(MainGrid(), 0);
  for (int row = 1; row <= grid.RowCount(); ++row) {
    ASSERT_TRUE(grid.Marked(row));
  }
}

TEST_F(ResultsGuiTest, ToolbarOfTheMainWindow) {
  ClickCell(MainGrid(), 0, 0);
  ClickCell(MainGrid(), 1, 0);
  Press(window_.get(), "graph");
  EXPECT_EQ(Get<QLabel>("TableNameGraph")->text().left(21),
            "Tables: 2     Compres");
  Press(window_.get(), "clear");
  EXPECT_FALSE(app_->models.results_grid.Marked(1));
  Press(window_.get(), "graph");
  EXPECT_EQ(Get<QLabel>("TableNameGraph")->text(),
            "No tables selected for summary");
  EXPECT_FALSE(window_->chart().isVisible());
  save_answers_.push_back(dir_.File("results.out"));
  Press(window_.get(), "output");
  ASSERT_EQ(save_presets_.size(), 1u);
  EXPECT_EQ(save_presets_[0].second, "demo.out");
  EXPECT_EQ(
      ReadFileBytes(dir_.File("results.out"))
          .rfind(
              "Schema\tTable\tCount\tPages\tComp Pages\t%Saved\tPage Size\r\n"
              "Audit\tConfig_History\t1320\t",
              0),
      0u);
  EXPECT_EQ(BoxTexts().back(), "File exported (" + dir_.File("results.out") +
                                   ")\r\nRecords exported=64");
  Press(window_.get(), "exit");
  EXPECT_EQ(ended_, 1);
  EXPECT_FALSE(app_->connection.ConnectionOpen());
}

TEST_F(ResultsGuiTest, MagnifyMovesTheResultsToTheLargeWindow) {
  QWidget* details = Get("tab4CompressionDetails");
  const int old_height = details->height();
  Press(window_.get(), "magnify");
  EXPECT_TRUE(app_->window_state.LargeResultsShown);
  EXPECT_FALSE(Get("tab4Schemas")->isVisible());
  EXPECT_EQ(details->y(), ui::Px(480));
  EXPECT_EQ(details->height(), ui::Px(6500));
  EXPECT_GT(details->height(), old_height);
  EXPECT_EQ(Get("tab4Details")->height(), ui::Px(6500));
  EXPECT_EQ(Get("TableInfo")->height(), ui::Px(6150));
  ui::LargeResultsWindow& large = window_->schema_list();
  EXPECT_TRUE(large.isVisible());
  EXPECT_EQ(large.windowTitle(), "Schemas");
  // Its toolbar has no magnify button, and its own exit tooltip.
  QToolBar* bar = large.findChild<QToolBar*>("TB");
  EXPECT_EQ(bar->findChild<QAction*>("magnify"), nullptr);
  EXPECT_EQ(bar->findChild<QAction*>("exit")->toolTip(),
            "Exit the application");

  // Clicks and the summary in the large window draw on the main window.
  ClickCell(LargeGrid(), 0, 2);
  EXPECT_EQ(Get<QLabel>("TableNameGraph")->text(), "Config_History");
  ClickCell(LargeGrid(), 2, 0);
  Press(&large, "graph");
  EXPECT_EQ(Get<QLabel>("TableNameGraph")->text().left(9), "Tables: 1");
  // Its export proposes no name; its own dialog keeps the last one.
  save_answers_.push_back(dir_.File("large.out"));
  Press(&large, "output");
  ASSERT_EQ(save_presets_.size(), 1u);
  EXPECT_EQ(save_presets_[0].first, SaveDialog::kLargeResults);
  EXPECT_EQ(save_presets_[0].second, std::nullopt);
  auto* dialog = large.findChild<QFileDialog*>("SelectFile");
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(window_->findChild<QFileDialog*>("SelectFile"), dialog);
  EXPECT_TRUE(dialog->selectedFiles().constFirst().endsWith("large.out"));

  // Closing it brings the list and its toolbar back to the results panel,
  // with the current results, and "magnify" works again.
  large.close();
  EXPECT_FALSE(app_->window_state.LargeResultsShown);
  EXPECT_TRUE(Get("tab4Schemas")->isVisible());
  EXPECT_EQ(details->height(), old_height);
  Tabs()->setCurrentIndex(kOptionsTab);
  Click("OptRowSize");
  Click("DoContinue_2");
  EXPECT_FALSE(large.isVisible());
  EXPECT_EQ(MainGrid()
                ->model()
                ->headerData(4, Qt::Horizontal, Qt::DisplayRole)
                .toString(),
            "Size(K)");
  EXPECT_EQ(MainGrid()->model()->rowCount(), 64);
  Press(window_.get(), "magnify");
  EXPECT_TRUE(large.isVisible());
  EXPECT_FALSE(Get("tab4Schemas")->isVisible());
  EXPECT_EQ(LargeGrid()
                ->model()
                ->headerData(4, Qt::Horizontal, Qt::DisplayRole)
                .toString(),
            "Size(K)");
}

TEST_F(ResultsGuiTest, TheLargeWindowCannotTouchARunInProgress) {
  Press(window_.get(), "magnify");
  ui::LargeResultsWindow& large = window_->schema_list();
  ClickCell(LargeGrid(), 0, 2);
  const auto before = app_->models.large_grid.shared_record();
  auto repaint = app_->models.progress.on_change;
  int acted = 0;
  bool grid_hidden = true;
  app_->models.progress.on_change = [&] {
    repaint();
    if (app_->models.progress.text != "Records: 10" || acted > 0) return;
    ++acted;
    grid_hidden = !LargeGrid()->isVisible();
    // Whatever the user does with the large window meanwhile.
    ClickHeader(LargeGrid(), 3);
    ClickCell(LargeGrid(), 1, 2);
    save_answers_.push_back(dir_.File("during.out"));
    Press(&large, "output");
    Press(&large, "graph");
  };
  Tabs()->setCurrentIndex(kOptionsTab);
  Click("PCTRow");
  Click("DoContinue_2");
  app_->models.progress.on_change = repaint;
  EXPECT_EQ(acted, 1);
  EXPECT_TRUE(grid_hidden);
  EXPECT_TRUE(save_presets_.empty());
  EXPECT_FALSE(std::filesystem::exists(dir_.File("during.out")));
  // The run completed whole, and the details of the old run are gone.
  EXPECT_NE(app_->models.large_grid.shared_record(), before);
  EXPECT_EQ(app_->models.large_grid.RowCount(), 64);
  EXPECT_TRUE(app_->models.large_grid.record().complete);
  EXPECT_EQ(app_->models.large_grid.sort_column(), 0);
  EXPECT_TRUE(app_->models.details.lines().empty());
  EXPECT_EQ(Get<QLabel>("TableNameGraph")->text(), "");
  EXPECT_TRUE(LargeGrid()->isVisible());
  EXPECT_TRUE(BoxTexts().empty()) << ::testing::PrintToString(BoxTexts());
}

TEST_F(ResultsGuiTest, TheWindowGrowsAndTheResultsWithIt) {
  const QSize designed = window_->size();
  EXPECT_EQ(window_->minimumSize(), designed);
  const QSize grid = MainGrid()->size();
  const QSize chart = window_->chart().size();
  const QSize info = Get("TableInfo")->size();
  const QPoint exit = Get("ExitAll_3")->pos();
  const QPoint title = Get("Title_3")->pos();
  window_->resize(designed + QSize(600, 400));
  QApplication::processEvents();
  EXPECT_EQ(MainGrid()->width(), grid.width() + 600);
  EXPECT_EQ(MainGrid()->height(), grid.height() + 200);
  EXPECT_GT(window_->chart().width(), chart.width());
  EXPECT_GT(window_->chart().height(), chart.height());
  EXPECT_GT(Get("TableInfo")->height(), info.height());
  // The Exit button stays at the foot; the title where it was.
  EXPECT_EQ(Get("ExitAll_3")->pos(), exit + QPoint(0, 400));
  EXPECT_EQ(Get("Title_3")->pos(), title);
  EXPECT_EQ(Get("DoContinue_2")->pos().y(), Get("ExitAll_2")->pos().y());
  // Smaller than designed it does not go.
  window_->resize(designed - QSize(100, 100));
  EXPECT_EQ(window_->size(), designed);
  // Magnified, the chart and the details take the whole height.
  window_->resize(designed + QSize(0, 300));
  Press(window_.get(), "magnify");
  EXPECT_EQ(Get("TableInfo")->height(), ui::Px(6150) + 300);
}

TEST_F(ResultsGuiTest, ColumnWidthsTheUserSetSurviveSortsMarksAndRuns) {
  MainGrid()->horizontalHeader()->resizeSection(2, 321);
  ClickHeader(MainGrid(), 3);
  ClickHeader(MainGrid(), 0);
  Press(window_.get(), "clear");
  Tabs()->setCurrentIndex(kOptionsTab);
  Click("PCTRow");
  Click("DoContinue_2");
  EXPECT_EQ(MainGrid()->columnWidth(2), 321);
}

TEST_F(ResultsGuiTest, TheExportDialogStartsWhereTheLastExportWent) {
  ASSERT_EQ(TabStates(), "--EE 3");
  auto* dialog = window_->findChild<QFileDialog*>("SelectFile");
  const std::string folder = dir_.File("exports");
  std::filesystem::create_directory(folder);
  save_answers_.push_back(folder + "/first.out");
  Press(window_.get(), "output");
  EXPECT_EQ(dialog->selectedNameFilter(),
            "Tab-delimited files (*.out *.tsv *.txt)");
  EXPECT_EQ(dialog->nameFilters().size(), 5);
  // The next export starts in that folder; the comma's filter is chosen.
  Tabs()->setCurrentIndex(kOptionsTab);
  Click("DelimComma");
  Click("DoContinue_2");                  // nothing changed that needs a run
  save_answers_.push_back(std::nullopt);  // cancelled
  ASSERT_EQ(TabStates(), "--EE 3");
  Press(window_.get(), "output");
  EXPECT_EQ(dialog->directory().absolutePath().toStdString(), folder);
  // Both delimited filters show the ".out" name the program proposes.
  EXPECT_EQ(dialog->selectedNameFilter(), "Comma-delimited files (*.out *.csv)");
  EXPECT_EQ(save_presets_.back().second, "demo.out");
}

TEST_F(ResultsGuiTest, CutTextShowsWholeInItsTooltip) {
  MainGrid()->horizontalHeader()->resizeSection(2, 30);
  const QModelIndex index = MainGrid()->model()->index(0, 2);
  const QRect cell = MainGrid()->visualRect(index);
  QHelpEvent tooltip(QEvent::ToolTip, cell.center(),
                     MainGrid()->viewport()->mapToGlobal(cell.center()));
  QApplication::sendEvent(MainGrid()->viewport(), &tooltip);
  EXPECT_TRUE(QToolTip::text().startsWith("Config_History"))
      << QToolTip::text().toStdString();
  // The row's tooltip says what its estimate rests on.
  EXPECT_TRUE(QToolTip::text().contains("columns:"));
}

TEST_F(ResultsGuiTest, TheGridModelsKeepQtsModelRules) {
  auto* main_model = MainGrid()->model();
  QAbstractItemModelTester main_tester(
      main_model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  auto* info_model = Get<QTableView>("TableInfo")->model();
  QAbstractItemModelTester info_tester(
      info_model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  ClickHeader(MainGrid(), 3);
  ClickCell(MainGrid(), 4, 0);
  ClickCell(MainGrid(), 4, 2);
  Press(window_.get(), "clear");
  Tabs()->setCurrentIndex(kOptionsTab);
  Click("OptRowSize");
  Click("DoContinue_2");
  EXPECT_EQ(main_model->rowCount(), 64);
  EXPECT_EQ(
      main_model->headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(),
      "Size(K)");
}

TEST_F(ResultsGuiTest, TheLargeWindowKeepsItsWidthAndAMinimumHeight) {
  Press(window_.get(), "magnify");
  ui::LargeResultsWindow& large = window_->schema_list();
  large.resize(ui::Px(6000), ui::Px(1200));
  QApplication::processEvents();
  EXPECT_EQ(large.width(), ui::Px(10000));
  EXPECT_EQ(large.height(), ui::Px(2000));
  EXPECT_EQ(LargeGrid()->height(), ui::Px(1000));
  large.resize(ui::Px(14000), ui::Px(9000));
  QApplication::processEvents();
  EXPECT_EQ(large.width(), ui::Px(10000));
  EXPECT_EQ(LargeGrid()->height(), ui::Px(8000));
}

// The results by keyboard: Space marks the current row (the cell cursor
// shows on the mark column), Enter shows the current table's details, the
// toolbar's buttons are reached by Tab and pressed with Space, F1 opens the
// focused group's help.
TEST_F(ResultsGuiTest, TheResultsWorkByKeyboard) {
  QTableView* grid = MainGrid();
  grid->setFocus();
  grid->setCurrentIndex(grid->model()->index(2, 0));
  QTest::keyClick(grid, Qt::Key_Space);
  EXPECT_TRUE(app_->models.results_grid.Marked(3));
  QTest::keyClick(grid, Qt::Key_Space);
  EXPECT_FALSE(app_->models.results_grid.Marked(3));
  grid->setCurrentIndex(grid->model()->index(4, 3));
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(Get<QLabel>("TableNameGraph")->text().toStdString(),
            app_->models.results_grid.Row(5).table);
  EXPECT_FALSE(app_->models.details.lines().empty());
  auto* clear = Get<QToolButton>("clearButton");
  EXPECT_EQ(clear->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
  app_->models.results_grid.MarkAll();
  clear->setFocus();
  QTest::keyClick(clear, Qt::Key_Space);
  EXPECT_FALSE(app_->models.results_grid.Marked(1));
  grid->setFocus();
  QTest::keyClick(window_.get(), Qt::Key_F1);
  EXPECT_TRUE(window_->help_window().isVisible());
  EXPECT_EQ(window_->help_window().windowTitle().toStdString(), "Results");
}

// A column's saving explained in the %Saved tooltip; the whole table's by
// "Why?" or Enter on the column grid, following the table shown.
TEST_F(ResultsGuiTest, EveryFigureOfTheDetailsIsExplained) {
  auto* why = Get<QToolButton>("WhyButton");
  EXPECT_FALSE(why->isEnabled());
  ClickCell(MainGrid(), 0, 2);  // Audit.Config_History
  EXPECT_TRUE(why->isEnabled());
  QTableView* columns = Get<QTableView>("TableInfo");
  const QString tip =
      columns->model()->data(columns->model()->index(3, 3), Qt::ToolTipRole)
          .toString();
  EXPECT_TRUE(tip.startsWith("DATETIME, 14 bytes, fixed compressible")) << tip.toStdString();
  EXPECT_TRUE(tip.endsWith("→ 29 %")) << tip.toStdString();
  const QString row_tip =
      MainGrid()->model()->data(MainGrid()->model()->index(0, 2), Qt::ToolTipRole)
          .toString();
  EXPECT_TRUE(row_tip.contains("Row length 680.8 bytes, compressed 183.308 bytes"))
      << row_tip.toStdString();
  columns->setFocus();
  columns->setCurrentIndex(columns->model()->index(0, 0));
  QTest::keyClick(columns, Qt::Key_Return);
  ui::HelpWindowWidget& view = window_->why_window();
  ASSERT_TRUE(view.isVisible());
  auto text = [&] {
    return view.findChild<QPlainTextEdit*>("HelpText")->toPlainText().toStdString();
  };
  EXPECT_NE(text().find("Row length = 14 + 0 + 666.8 = 680.8 bytes"),
            std::string::npos) << text();
  EXPECT_NE(text().find(") = 120 pages"), std::string::npos) << text();
  ClickCell(MainGrid(), 3, 2);  // another table: the open view follows
  EXPECT_EQ(Get<QLabel>("TableNameGraph")->text().toStdString(),
            app_->models.results_grid.Row(4).table);
  EXPECT_NE(text().find(app_->models.results_grid.Row(4).table + ", page"),
            std::string::npos) << text().substr(0, 80);
  QTest::keyClick(&view, Qt::Key_Escape);
  EXPECT_FALSE(view.isVisible());
  QTest::mouseClick(why, Qt::LeftButton);
  EXPECT_TRUE(view.isVisible());
}

// "report" saves the shown result as a page, through the save dialog with
// the HTML filter; every toolbar button shows, none behind an arrow.
TEST_F(ResultsGuiTest, TheReportButtonSavesTheShownResult) {
  auto* dialog = window_->findChild<QFileDialog*>("SelectFile");
  save_answers_.push_back(dir_.File("demo.html"));
  Press(window_.get(), "report");
  EXPECT_EQ(dialog->selectedNameFilter(), "HTML reports (*.html *.htm)");
  EXPECT_EQ(save_presets_.back().second, "report.html");
  const std::string page = ReadFileBytes(dir_.File("demo.html"));
  EXPECT_NE(page.find("<h1>Compression estimate</h1>"), std::string::npos);
  EXPECT_NE(page.find("data-total=\"tables\">64<"), std::string::npos);
  EXPECT_EQ(page.find("<script"), std::string::npos);
  QToolBar* bar = window_->findChild<QToolBar*>("TB");
  EXPECT_GE(bar->width(), bar->sizeHint().width());
}

// Sorting keeps every column's width (the arrow needs no room of its own)
// and draws the arrow above the header's text.
TEST_F(ResultsGuiTest, SortingKeepsTheColumnsAndDrawsItsArrowOnTop) {
  QTableView* grid = MainGrid();
  QHeaderView* header = grid->horizontalHeader();
  std::vector<int> widths;
  for (int col = 0; col < 8; ++col) widths.push_back(grid->columnWidth(col));
  ClickHeader(grid, 6);
  for (int col = 0; col < 8; ++col) EXPECT_EQ(grid->columnWidth(col), widths[col]);
  // Each header's text fits its column.
  for (int col = 1; col < 8; ++col) {
    const QString text = header->model()->headerData(col, Qt::Horizontal).toString();
    EXPECT_LE(header->fontMetrics().horizontalAdvance(text),
              grid->columnWidth(col))
        << col;
  }
  const QImage image = header->grab().toImage();
  const int middle = header->sectionViewportPosition(6) + grid->columnWidth(6) / 2;
  int dark = 0;
  for (int y = 0; y < 5; ++y) {
    dark += QColor(image.pixel(middle, y)).lightness() < 100;
  }
  EXPECT_GT(dark, 0);
}

// The grids use the room of a larger window: names get what their content
// needs, the grid its whole width; a new result starts at its first row.
TEST_F(ResultsGuiTest, GridsUseTheRoomAndNewResultsStartAtTheTop) {
  auto* grid = static_cast<ui::GridView*>(MainGrid());
  window_->resize(1600, 1000);
  QApplication::processEvents();
  EXPECT_GE(grid->columnWidth(2), grid->ContentWidth(2));
  int total = 0;
  for (int col = 0; col < 8; ++col) total += grid->columnWidth(col);
  EXPECT_GE(total, grid->viewport()->width() - 8);
  ClickCell(grid, 0, 2);
  auto* details = Get<ui::GridView>("TableInfo");
  EXPECT_GE(details->columnWidth(4), details->ContentWidth(4));
  grid->scrollToBottom();
  ASSERT_GT(grid->verticalScrollBar()->value(), 0);
  Tabs()->setCurrentIndex(kOptionsTab);
  Get<QPlainTextEdit>("TableSelect")->setPlainText("%e%");
  Click("DoContinue_2");
  ASSERT_EQ(TabStates(), "--EE 3");
  EXPECT_EQ(grid->verticalScrollBar()->value(), 0);
  EXPECT_EQ(grid->currentIndex().row(), 0);
}

// A chart of nothing has one label, 0; small figures have whole labels,
// none twice.
TEST_F(ResultsGuiTest, TheChartsAxisNeverRepeatsALabel) {
  auto* view = window_->chart().findChild<QChartView*>();
  ASSERT_NE(view, nullptr);
  auto* axis = qobject_cast<QValueAxis*>(view->chart()->axes(Qt::Vertical)[0]);
  ASSERT_NE(axis, nullptr);
  for (double top : {0.0, 1.0, 3.0, 7.0, 448.0}) {
    app_->models.chart.size_value = top;
    app_->models.chart.compressed_value = top / 2;
    window_->chart().Refresh();
    EXPECT_GE(axis->tickInterval(), 1) << top;
    EXPECT_GE(axis->max(), top) << top;
    if (top == 0) {
      EXPECT_LT(axis->max(), axis->tickInterval());  // 0 alone
    }
  }
}

// The plan window: the toolbar opens it on the shown result, its controls
// change the totals at once, its list sorts, and it exports.
TEST_F(ResultsGuiTest, ThePlanWindowAppliesItsRuleAtOnce) {
  Press(window_.get(), "plan");
  ui::PlanWindow& plan = window_->plan_window();
  ASSERT_TRUE(plan.isVisible());
  auto* totals = plan.findChild<QTableWidget*>("PlanTotals");
  auto tables = [&](int group) { return totals->item(group, 0)->text().toInt(); };
  EXPECT_EQ(tables(0) + tables(1) + tables(2) + tables(3), 64);
  const int row_before = tables(1);
  EXPECT_GT(row_before, 0);
  plan.findChild<QSpinBox*>("PlanThreshold")->setValue(100);
  EXPECT_EQ(tables(0) + tables(1), 0);  // nothing saves everything
  EXPECT_EQ(tables(2) + tables(3), 64);
  plan.findChild<QSpinBox*>("PlanThreshold")->setValue(20);
  EXPECT_EQ(tables(1), row_before);
  auto* list = plan.findChild<QTableView*>("PlanList");
  ClickHeader(list, kPlanSavedCol);
  EXPECT_GE(plan.plan().Line(0).saved_bytes, plan.plan().Line(1).saved_bytes);
  plan.findChild<QComboBox*>("PlanFormat")->setCurrentIndex(2);
  save_answers_.push_back(dir_.File("plan.json"));
  plan.findChild<QPushButton*>("PlanExport")->click();
  const std::string json = ReadFileBytes(dir_.File("plan.json"));
  EXPECT_NE(json.find("\"plan\": {\"margin\": 10, \"threshold\": 20}"),
            std::string::npos);
  EXPECT_EQ(save_presets_.back().second, "demo-plan.json");
}

}  // namespace
}  // namespace tce
