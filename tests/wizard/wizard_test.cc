// The wizard's logic through a fake main window, on the in-memory desktop.
#include "wizard/wizard.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <string>
#include <vector>

#include "support/app_fixture.h"
#include "support/test_server.h"

namespace tce {
namespace {

using ::tce::testing::AppFixture;
using ::tce::testing::TestServer;

// Keeps what the wizard did to the window.
class FakeView : public MainWindowView {
 public:
  void SetTabEnabled(int tab, bool enabled) override {
    enabled_[tab] = enabled;
  }
  void SelectTab(int tab) override {
    selected = tab;
    if (wizard != nullptr) wizard->OnTabClick(tab);
  }
  void SetFocusTo(Control) override {}
  void SetTabStop(Control control, bool on) override {
    tab_stops[control] = on;
  }
  void SetCaption(Control control, const std::string& text) override {
    captions[control] = text;
  }
  std::string Text(Control control) override { return texts[control]; }
  void ApplyScreenTexts(const MessageTable&) override {}
  void SetDisclaimer(const std::string&) override {}
  void ShowWindow() override { shown = true; }
  void SetRunControlsEnabled(bool enabled) override {
    run_controls_enabled = enabled;
  }
  void ShowLargeResults() override { ++large_results_shown; }
  void ShowPlan(std::shared_ptr<const RunRecord> record) override {
    plan_shown = std::move(record);
  }
  void EndProgram() override { ++ended; }

  // "E" or "-" for each tab, then the selected tab.
  std::string TabStates() {
    std::string states;
    for (int i = 0; i < 4; ++i) states += enabled_[i] ? "E" : "-";
    return states + " " + std::to_string(selected);
  }

  Wizard* wizard = nullptr;
  int selected = -1;
  bool shown = false;
  bool run_controls_enabled = true;
  int large_results_shown = 0;
  std::shared_ptr<const RunRecord> plan_shown;
  int ended = 0;
  std::map<Control, bool> tab_stops;
  std::map<Control, std::string> captions;
  std::map<Control, std::string> texts;

 private:
  std::map<int, bool> enabled_;
};

class WizardTest : public ::testing::Test, public AppFixture {
 protected:
  void SetUp() override {
    auto& db = server_.Database("shop");
    for (int i = 0; i < 25; ++i) {
      const int t = db.AddTable(i < 20 ? "a" : "b",
                                "t" + std::to_string(100 + i), 10, 100, 2048);
      db.AddColumn(t, "c", 0, 10);
    }
    server_.Finish();
    view_.wizard = &wizard_;
    wizard_.set_progress_interval(std::chrono::milliseconds(0));
    wizard_.StartUp();
  }
  void ToOptions() {
    wizard_.DoContinue(kDisclaimerTab);
    view_.texts[Control::kInputDatabase] = " " + server_.DatabasePath("shop") + " ";
    wizard_.DoContinue(kConnectionTab);
    ASSERT_EQ(view_.TabStates(), "--E- 2")
        << ::testing::PrintToString(desktop.box_texts());
  }
  // Makes the catalog rows of the 21st table fail when they are read.
  void BreakLaterTables() {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(server_.DatabasePath("shop").c_str(), &db),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(
                  db,
                  "ALTER TABLE syscolumns RENAME TO real_syscolumns;"
                  "CREATE VIEW syscolumns AS SELECT tabid, colno, colname, "
                  "coltype, CASE WHEN tabid = 21 THEN "
                  "abs(-9223372036854775808) ELSE collength END AS collength "
                  "FROM real_syscolumns;",
                  nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }

  TestServer server_;
  FakeView view_;
  Wizard wizard_{app, view_};
};

TEST_F(WizardTest, ContinueWalksThroughThePanels) {
  EXPECT_TRUE(view_.shown);
  EXPECT_EQ(view_.TabStates(), "E--- 0");
  EXPECT_FALSE(view_.tab_stops[Control::kDelimTab]);
  ToOptions();
  EXPECT_EQ(app.connection.DatabaseName, server_.DatabasePath("shop"));
  wizard_.DoContinue(kOptionsTab);
  EXPECT_EQ(view_.TabStates(), "--EE 3");
  EXPECT_FALSE(app.run_state.SettingsChanged);
  EXPECT_EQ(app.models.results_grid.RowCount(), 25);
  EXPECT_EQ(app.models.large_grid.RowCount(), 25);
  EXPECT_TRUE(app.models.results_grid.visible());
  EXPECT_EQ(app.models.progress.text, "");
  EXPECT_TRUE(desktop.boxes().empty());
  EXPECT_EQ(desktop.cursor_changes().back(), false);
  // Back to the options and on again without a change: the same results.
  view_.SelectTab(kOptionsTab);
  EXPECT_EQ(view_.TabStates(), "--E- 2");
  const auto shown = app.models.results_grid.shared_record();
  wizard_.DoContinue(kOptionsTab);
  EXPECT_EQ(app.models.results_grid.shared_record(), shown);
  EXPECT_EQ(view_.TabStates(), "--EE 3");
}

TEST_F(WizardTest, AFailedConnectSaysWhyThenThatItFailed) {
  wizard_.DoContinue(kDisclaimerTab);
  view_.texts[Control::kInputDatabase] = server_.DatabasePath("nosuch");
  wizard_.DoContinue(kConnectionTab);
  EXPECT_EQ(view_.TabStates(), "-E-- 1");
  // The driver's reason once, then that the connection failed: no box for
  // an empty completed string, no probe of a connection that is not there.
  ASSERT_EQ(desktop.boxes().size(), 2u)
      << ::testing::PrintToString(desktop.box_texts());
  EXPECT_EQ(desktop.boxes()[0].title, "SQL Error");
  EXPECT_NE(desktop.boxes()[0].text.find("does not exist"), std::string::npos);
  EXPECT_EQ(desktop.boxes()[1].text, "Connection failed.");
  EXPECT_FALSE(desktop.waiting());
  // An empty database name says the same.
  desktop.ClearBoxes();
  view_.texts[Control::kInputDatabase] = "";
  wizard_.DoContinue(kConnectionTab);
  EXPECT_EQ(desktop.boxes().size(), 2u)
      << ::testing::PrintToString(desktop.box_texts());
  EXPECT_EQ(desktop.boxes().back().text, "Connection failed.");
}

TEST_F(WizardTest, ARunThatListsNothingSaysSoAndStays) {
  ToOptions();
  wizard_.OnTableSelectChange("nosuch");
  wizard_.DoContinue(kOptionsTab);
  EXPECT_EQ(view_.TabStates(), "--E- 2");
  EXPECT_EQ(desktop.box_texts(),
            std::vector<std::string>{
                "No tables or schemas found meeting your criteria."});
  EXPECT_TRUE(app.run_state.SettingsChanged);
  EXPECT_EQ(app.models.results_grid.RowCount(), 0);
  EXPECT_TRUE(app.models.results_grid.visible());
  EXPECT_TRUE(view_.run_controls_enabled);
}

TEST_F(WizardTest, AFailureWhileReadingIsShownAndNotCalledAnEmptyResult) {
  ToOptions();
  BreakLaterTables();
  wizard_.DoContinue(kOptionsTab);
  ASSERT_EQ(desktop.boxes().size(), 1u)
      << ::testing::PrintToString(desktop.box_texts());
  EXPECT_EQ(desktop.boxes()[0].title, "SQL Error");
  EXPECT_NE(desktop.boxes()[0].text.find("overflow"), std::string::npos);
  // The tables completed before it are shown, said to be incomplete; the
  // table being read is not among them. Continue runs it again.
  EXPECT_EQ(view_.TabStates(), "--EE 3");
  EXPECT_EQ(app.models.results_grid.RowCount(), 19);
  EXPECT_FALSE(app.models.results_grid.record().complete);
  EXPECT_EQ(TotalsLine(TotalsOf(app.models.results_grid.record()))
                .rfind("Run incomplete", 0),
            0u);
  EXPECT_EQ(app.models.progress.text,
            "Run incomplete: 19 tables listed before the error.");
  EXPECT_TRUE(app.run_state.SettingsChanged);
  EXPECT_FALSE(desktop.waiting());
}

// A catalog query that fails shows the driver's reason, then that nothing
// was found; a reason that cannot be read is logged, not shown.
TEST_F(WizardTest, AFailedQueryIsFollowedByTheNothingFoundBox) {
  ToOptions();
  app.connection.PageSizeExpression = "NOSUCH.COLUMN";
  wizard_.DoContinue(kOptionsTab);
  EXPECT_EQ(view_.TabStates(), "--E- 2");
  ASSERT_EQ(desktop.boxes().size(), 2u)
      << ::testing::PrintToString(desktop.box_texts());
  EXPECT_EQ(desktop.boxes()[0].title, "SQL Error");
  EXPECT_EQ(desktop.boxes()[1].text,
            "No tables or schemas found meeting your criteria.");
  desktop.ClearBoxes();
  app.settings.DebugLog = true;
  Status unreadable = Status::DriverFailure("SQLExecute", SQL_ERROR,
                                            {"", 0, "", SQL_NO_DATA});
  ShowStatus(app.reporter, unreadable);
  EXPECT_TRUE(desktop.boxes().empty());
  EXPECT_NE(LogText().find(
                "SQL Error          Error retrieving SQL Error information "
                "rc= 100\r\n"),
            std::string::npos);
}

TEST_F(WizardTest, ANewRunClearsTheDetailsOfTheOldOne) {
  ToOptions();
  wizard_.DoContinue(kOptionsTab);
  wizard_.OnGridClick(app.models.results_grid, 21, 2);  // b.t120
  EXPECT_EQ(app.models.chart.caption, "t120");
  EXPECT_EQ(app.models.details.lines().size(), 1u);
  view_.SelectTab(kOptionsTab);
  wizard_.OnSchemaSelectChange("a");
  wizard_.DoContinue(kOptionsTab);
  EXPECT_EQ(app.models.results_grid.RowCount(), 20);
  EXPECT_TRUE(app.models.details.lines().empty());
  EXPECT_EQ(app.models.chart.caption, "");
  EXPECT_FALSE(app.models.chart.visible);
}

TEST_F(WizardTest, NothingTouchesTheResultsWhileARunWorks) {
  ToOptions();
  wizard_.DoContinue(kOptionsTab);
  wizard_.OnToolbar("magnify", app.models.results_grid);
  EXPECT_EQ(view_.large_results_shown, 1);
  EXPECT_TRUE(app.window_state.LargeResultsShown);
  const auto before = app.models.large_grid.shared_record();
  int events = 0;
  bool hidden_during_run = true;
  desktop.OnPendingEvents([&] {
    ++events;
    hidden_during_run = hidden_during_run && !app.models.large_grid.visible();
    // Everything a user could do with the large window meanwhile.
    wizard_.OnGridClick(app.models.large_grid, 1, 2);
    wizard_.OnGridMouseUp(app.models.large_grid, 1, 3, 0);
    wizard_.OnGridMouseUp(app.models.large_grid, 2, 0, 2);
    desktop.QueueSaveAnswer("/dev/null");
    wizard_.OnToolbar("output", app.models.large_grid);
    wizard_.OnToolbar("graph", app.models.large_grid);
    wizard_.DoContinue(kOptionsTab);  // refused while busy
    // Options changed meanwhile reach the next run, not this one.
    app.settings.MinCompressionPct = 100;
    app.settings.EstimatePageCompression = true;
  });
  view_.SelectTab(kOptionsTab);
  wizard_.OnOptionClick(Control::kPCTRow, true);
  wizard_.DoContinue(kOptionsTab);
  desktop.OnPendingEvents(nullptr);
  EXPECT_GT(events, 25);
  EXPECT_TRUE(hidden_during_run);
  EXPECT_TRUE(desktop.save_requests().empty());
  EXPECT_TRUE(app.models.details.lines().empty());
  EXPECT_EQ(app.models.chart.caption, "");
  // The run finished whole and its result is the one shown.
  EXPECT_NE(app.models.large_grid.shared_record(), before);
  EXPECT_EQ(app.models.large_grid.RowCount(), 25);
  EXPECT_TRUE(app.models.large_grid.record().complete);
  EXPECT_EQ(app.models.large_grid.record().settings.MinCompressionPct, 0);
  EXPECT_FALSE(app.models.large_grid.record().settings.EstimatePageCompression);
  EXPECT_EQ(app.models.large_grid.shown().method, Method::kRow);
  EXPECT_EQ(app.models.large_grid.sort_column(), 0);
  EXPECT_FALSE(app.models.large_grid.Marked(2));
  EXPECT_TRUE(app.models.large_grid.visible());
  EXPECT_FALSE(app.run_state.SettingsChanged);
  EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(WizardTest, ExitDuringARunStopsItAndEndsWithoutABox) {
  ToOptions();
  desktop.OnPendingEvents([&] { wizard_.ExitAll(); });
  wizard_.DoContinue(kOptionsTab);
  EXPECT_EQ(view_.ended, 1);
  EXPECT_FALSE(app.connection.ConnectionOpen());
  EXPECT_FALSE(wizard_.busy());
  EXPECT_TRUE(desktop.boxes().empty())
      << ::testing::PrintToString(desktop.box_texts());
}

TEST_F(WizardTest, SlidersSetTheirOptionsWhicheverWayTheyMove) {
  ToOptions();
  app.run_state.SettingsChanged = false;
  wizard_.OnCompRangeChange(30);
  EXPECT_EQ(view_.captions[Control::kCompValue], "30");
  EXPECT_EQ(app.settings.MinCompressionPct, 30);
  EXPECT_TRUE(app.run_state.SettingsChanged);
  app.run_state.SettingsChanged = false;
  wizard_.OnCompRangeChange(30);
  EXPECT_FALSE(app.run_state.SettingsChanged);
  wizard_.OnMinTabSizeChange(20);
  EXPECT_EQ(view_.captions[Control::kMinTabSizeText], "20 M");
  EXPECT_EQ(app.settings.MinTableSizeMB, 20);
  // The delimiter and the logs never make a run repeat.
  app.run_state.SettingsChanged = false;
  wizard_.OnOptionClick(Control::kDelimComma, true);
  wizard_.OnShowDebugClick(true);
  wizard_.OnShowSqlClick(true);
  EXPECT_FALSE(app.settings.TabDelimited);
  wizard_.OnOptionClick(Control::kDelimTab, true);
  EXPECT_TRUE(app.settings.TabDelimited);
  EXPECT_TRUE(app.settings.DebugLog && app.settings.LogSQL);
  EXPECT_FALSE(app.run_state.SettingsChanged);
  EXPECT_FALSE(view_.tab_stops[Control::kDelimComma]);
}

TEST(JoinFilterLinesTest, NonEmptyLinesJoinedByCommas) {
  EXPECT_EQ(JoinFilterLines("OWNER1\r\n\r\nOWNER2"), "OWNER1,OWNER2");
  EXPECT_EQ(JoinFilterLines("   A   \r\n\r\nB"), "A,B");
  EXPECT_EQ(JoinFilterLines("  single name  "), "single name");
  EXPECT_EQ(JoinFilterLines(""), "");
  EXPECT_EQ(JoinFilterLines("\r\n\r\n   \r\n"), "");
  EXPECT_EQ(JoinFilterLines("a%\r\n b \r\nc"), "a%,b,c");
}

TEST(JoinFilterLinesTest, TheLastLineKeepsItsLeadingBlanks) {
  // Only the whole text's trim reaches the last line's end.
  EXPECT_EQ(JoinFilterLines("A\r\n  B  "), "A,  B");
  // A bare line feed is not a line break of the text box.
  EXPECT_EQ(JoinFilterLines("A\nB"), "A\nB");
}

}  // namespace
}  // namespace tce
