// The history in the windows: HISTORY= keeps each completed run, a results
// row's tooltip tells its change since the last run, and the History
// window, reached by keyboard from the results toolbar, lists the runs and
// the changes since the run chosen.
#include <QLabel>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <sqlite3.h>

#include "gui_fixture.h"
#include "support/test_server.h"
#include "ui/history_window.h"
#include "ui/widgets.h"

namespace tce {
namespace {

using ::tce::testing::GuiTest;
using ::tce::testing::TestServer;
using ::tce::testing::WriteFileBytes;

class HistoryGuiTest : public GuiTest {
 protected:
  // A database of two tables of 100 pages, 2,048 bytes each.
  void Build() {
    auto& db = server_.Database("shop");
    for (const char* name : {"keep", "grow"})
      db.AddColumn(db.AddTable("o", name, 100, 1000, 2048), "c", 0, 100);
    server_.Finish();
  }
  // The catalog changes on the server while the program is connected:
  // "grow" takes 50 pages more and "add" comes with 100.
  void Change() {
    sqlite3* db = nullptr;
    sqlite3_open(server_.DatabasePath("shop").c_str(), &db);
    EXPECT_EQ(sqlite3_exec(db,
                           "UPDATE systables SET npused = 150 WHERE tabname = "
                           "'grow'; INSERT INTO systables VALUES (3, 'o', "
                           "'add', 'T', 100, 1000, 2048); INSERT INTO "
                           "syscolumns VALUES (3, 1, 'c', 0, 100);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }
  void Estimate() {
    window_->wizard().OnCompRangeChange(1);  // an option changed: run again
    window_->wizard().OnCompRangeChange(0);
    Tabs()->setCurrentIndex(2);
    Click("DoContinue_2");
  }
  std::string TipOf(const std::string& table) {
    QTableView* grid = Get<QTableView>("TableDetails");
    for (int row = 1; row <= app_->models.results_grid.RowCount(); ++row) {
      if (app_->models.results_grid.Row(row).table != table) continue;
      return grid->model()->data(grid->model()->index(row - 1, 2),
                                 Qt::ToolTipRole).toString().toStdString();
    }
    return "no row " + table;
  }
  TestServer server_;
};

TEST_F(HistoryGuiTest, KeepsRunsAndShowsWhatChanged) {
  WriteFileBytes(dir_.File("TarvexCompEst.ini"), "HISTORY=runs.db\r\n");
  Build();
  Start();
  ConnectTo(server_.DatabasePath("shop"));
  Click("DoContinue_2");
  EXPECT_EQ(TipOf("grow").find("since the last run"), std::string::npos);
  Change();
  Estimate();
  EXPECT_NE(TipOf("grow").find("Since the last run"), std::string::npos);
  EXPECT_NE(TipOf("grow").find("grown: 200 K \u2192 300 K"), std::string::npos)
      << TipOf("grow");
  EXPECT_NE(TipOf("add").find("New since the last run"), std::string::npos);
  EXPECT_NE(TipOf("keep").find("Unchanged since the last run"), std::string::npos);
  // Tab to the toolbar's button, Space opens the window on the runs list.
  auto* button = Get<QToolButton>("historyButton");
  EXPECT_EQ(button->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
  button->setFocus();
  QTest::keyClick(button, Qt::Key_Space);
  ui::HistoryWindow& history = window_->history_window();
  ASSERT_TRUE(history.isVisible());
  auto* runs = history.findChild<QTableWidget*>("HistoryRuns");
  auto* changes = history.findChild<QTableWidget*>("HistoryChanges");
  ASSERT_EQ(runs->rowCount(), 2);
  EXPECT_EQ(runs->currentRow(), 1);  // the run before this one
  EXPECT_EQ(history.focusWidget(), runs);
  ASSERT_EQ(changes->rowCount(), 2);
  EXPECT_EQ(changes->item(0, 1)->text(), "add");  // 100 pages new
  EXPECT_EQ(changes->item(1, 1)->text(), "grow");
  EXPECT_FALSE(history.findChild<QWidget*>("HistoryTrend")->accessibleName().isEmpty());
  QTest::keyClick(runs, Qt::Key_Up);  // this run: nothing earlier to compare
  EXPECT_EQ(changes->rowCount(), 0);
  EXPECT_TRUE(history.findChild<QLabel*>("HistorySummary")->text().contains(
      "not earlier than this one"));
  QTest::keyClick(&history, Qt::Key_F1);
  EXPECT_EQ(window_->help_window().windowTitle().toStdString(),
            "History of Runs");
  QTest::keyClick(&history, Qt::Key_Escape);
  EXPECT_FALSE(history.isVisible());
  window_->activateWindow();
  QTest::keyClick(window_.get(), Qt::Key_H, Qt::ControlModifier);
  EXPECT_TRUE(history.isVisible());
}

TEST_F(HistoryGuiTest, WithoutAHistoryFileNothingIsKept) {
  Build();
  Start();
  ConnectTo(server_.DatabasePath("shop"));
  Click("DoContinue_2");
  window_->wizard().OnToolbar("history", app_->models.results_grid);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].second.find("HISTORY=FILE"), std::string::npos);
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
    EXPECT_NE(entry.path().extension(), ".db") << entry.path();
}

}  // namespace
}  // namespace tce
