// The main window driven as a user drives it.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QWheelEvent>

#include "base/text_file.h"
#include "gui_fixture.h"
#include "ui/mnemonics.h"
#include "ui/widgets.h"

namespace tce {
namespace {

using ::tce::testing::GuiTest;
using ::tce::testing::WriteFileBytes;
using ::tce::ui::HelpWindowWidget;

TEST_F(GuiTest, TabStatesFollowTheWizard) {
  Start();
  EXPECT_EQ(TabStates(), "E--- 0");
  EXPECT_TRUE(window_->isVisible());
  Click("DoContinue_0");
  EXPECT_EQ(TabStates(), "-E-- 1");
  Get<QLineEdit>("InputDatabase")->setText("  demo  ");
  Click("DoContinue_1");
  EXPECT_EQ(TabStates(), "--E- 2");  // selecting options disabled results
  EXPECT_EQ(app_->connection.DatabaseName, "demo");
  Click("DoContinue_2");
  EXPECT_EQ(TabStates(), "--EE 3");
  EXPECT_EQ(app_->models.results_grid.RowCount(), 64);
  EXPECT_TRUE(BoxTexts().empty()) << ::testing::PrintToString(BoxTexts());
}

TEST_F(GuiTest, AWrongDatabaseStaysOnTheConnectionPanel) {
  Start();
  ConnectTo("nosuchdb");
  EXPECT_EQ(TabStates(), "-E-- 1");
  ASSERT_FALSE(BoxTexts().empty());
  EXPECT_EQ(BoxTexts().back(), "Connection failed.");
  EXPECT_EQ(Get<QLineEdit>("InputDatabase")->text(), "nosuchdb");
  // An empty name is passed on and fails the same way.
  Get<QLineEdit>("InputDatabase")->clear();
  Click("DoContinue_1");
  EXPECT_EQ(TabStates(), "-E-- 1");
  EXPECT_EQ(BoxTexts().back(), "Connection failed.");
}

TEST_F(GuiTest, BackToOptionsAndContinueWithoutChangesQueriesOnce) {
  Start();
  ConnectTo("demo");
  app_->settings.LogSQL = true;
  Click("DoContinue_2");
  Tabs()->setCurrentIndex(kOptionsTab);
  EXPECT_EQ(TabStates(), "--E- 2");
  const auto shown = app_->models.results_grid.shared_record();
  Click("DoContinue_2");
  EXPECT_EQ(TabStates(), "--EE 3");
  EXPECT_EQ(app_->models.results_grid.shared_record(), shown);
  // A changed option runs again.
  Tabs()->setCurrentIndex(kOptionsTab);
  Click("PCTRow");
  EXPECT_TRUE(app_->run_state.SettingsChanged);
  Click("DoContinue_2");
  EXPECT_NE(app_->models.results_grid.shared_record(), shown);
  // The new result is the row estimate: access_review saves 40 % by row
  // compression where it saved 34 % by page compression.
  const ResultsGrid& grid = app_->models.results_grid;
  EXPECT_EQ(grid.Row(2).table, "access_review");
  EXPECT_EQ(GridCellText(grid.Row(2), grid.shown(), kSavedCol), " 40");
  EXPECT_EQ(GridCellText(shown->Listed(1), shown->shown(), kSavedCol), " 34");
  size_t queries = 0;
  const std::string log = LogText();
  for (size_t at = log.find("SQL\r\nSELECT T.OWNER"); at != std::string::npos;
       at = log.find("SQL\r\nSELECT T.OWNER", at + 1)) {
    ++queries;
  }
  EXPECT_EQ(queries, 2u);
}

TEST_F(GuiTest, ARunThatListsNothingStaysOnTheOptions) {
  Start();
  ConnectTo("demo");
  Get<QPlainTextEdit>("TableSelect")->setPlainText("no_such_table");
  Click("DoContinue_2");
  EXPECT_EQ(TabStates(), "--E- 2");
  EXPECT_EQ(BoxTexts().back(),
            "No tables or schemas found meeting your criteria.");
  EXPECT_TRUE(app_->run_state.SettingsChanged);
  EXPECT_TRUE(Get("DoContinue_2")->isEnabled());
}

TEST_F(GuiTest, OptionButtonsChangeOnlyWhatDiffers) {
  Start();
  ConnectTo("demo");
  app_->run_state.SettingsChanged = false;
  Click("StatsAll");  // already selected
  EXPECT_FALSE(app_->run_state.SettingsChanged);
  EXPECT_EQ(Get("StatsAll")->focusPolicy(), Qt::ClickFocus);
  Click("DelimComma");
  EXPECT_FALSE(app_->settings.TabDelimited);
  EXPECT_FALSE(app_->run_state.SettingsChanged);
  struct Case {
    const char* button;
    bool RunSettings::*field;
    bool value;
  };
  for (const Case& c :
       {Case{"StatsIgnore", &RunSettings::IgnoreTablesWithoutStats, true},
        Case{"ColumnCard", &RunSettings::UseMaxCardinality, false},
        Case{"PCTRow", &RunSettings::EstimatePageCompression, false},
        Case{"OptRowSize", &RunSettings::ShowPageSavings, false},
        Case{"OptPageSize", &RunSettings::ShowPageSavings, true}}) {
    app_->run_state.SettingsChanged = false;
    Click(c.button);
    EXPECT_EQ(app_->settings.*c.field, c.value) << c.button;
    EXPECT_TRUE(app_->run_state.SettingsChanged) << c.button;
  }
  // Start-up took these two out of the tab order.
  EXPECT_EQ(Get("DelimTab")->focusPolicy(), Qt::ClickFocus);
  EXPECT_EQ(Get("InputDatabase")->focusPolicy(), Qt::ClickFocus);
  EXPECT_EQ(Get("SchemaSelect")->focusPolicy(), Qt::StrongFocus);
}

TEST_F(GuiTest, SlidersAndFilterBoxes) {
  Start();
  ConnectTo("demo");
  auto* comp = Get<QSlider>("CompRange");
  comp->setFocus();
  // The mouse and the keys move the option with the slider alike, and the
  // label shows what the next run uses.
  // A press on the groove steps once its repeat delay has passed.
  const QPoint right(comp->width() - 2, comp->height() / 2);
  QTest::mousePress(comp, Qt::LeftButton, {}, right);
  QTRY_VERIFY(comp->value() > 0);
  QTest::mouseRelease(comp, Qt::LeftButton, {}, right);
  EXPECT_EQ(app_->settings.MinCompressionPct, comp->value());
  EXPECT_EQ(Get<QLabel>("CompValue")->text(), QString::number(comp->value()));
  QTest::keyClick(comp, Qt::Key_End);
  EXPECT_EQ(app_->settings.MinCompressionPct, 100);
  QTest::keyClick(comp, Qt::Key_Home);
  EXPECT_EQ(app_->settings.MinCompressionPct, 0);
  EXPECT_EQ(Get<QLabel>("CompValue")->text(), "0");
  QTest::keyClick(comp, Qt::Key_Right);
  EXPECT_EQ(app_->settings.MinCompressionPct, 10);
  EXPECT_EQ(Get<QLabel>("CompValue")->text(), "10");
  app_->run_state.SettingsChanged = false;
  QTest::keyClick(comp, Qt::Key_Left);
  EXPECT_EQ(app_->settings.MinCompressionPct, 0);
  EXPECT_TRUE(app_->run_state.SettingsChanged);
  // The wheel too.
  QWheelEvent wheel(QPointF(10, 10), comp->mapToGlobal(QPointF(10, 10)),
                    QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(comp, &wheel);
  EXPECT_EQ(comp->value(), 10);
  EXPECT_EQ(Get<QLabel>("CompValue")->text(), "10");
  EXPECT_EQ(app_->settings.MinCompressionPct, 10);

  EXPECT_EQ(Get<QLabel>("MinTabSizeText")->text(), "0");
  auto* size = Get<QSlider>("MinTabSize");
  size->setFocus();
  QTest::keyClick(size, Qt::Key_Right);
  EXPECT_EQ(Get<QLabel>("MinTabSizeText")->text(), "10 M");
  EXPECT_EQ(app_->settings.MinTableSizeMB, 10);

  app_->run_state.SettingsChanged = false;
  Get<QPlainTextEdit>("SchemaSelect")->setPlainText("  A  \n\nB");
  EXPECT_EQ(app_->settings.OwnerFilter, "A,B");
  EXPECT_TRUE(app_->run_state.SettingsChanged);
  Get<QPlainTextEdit>("SchemaSelect")->clear();
  EXPECT_EQ(app_->settings.OwnerFilter, "");
}

TEST_F(GuiTest, TheDebugBoxSwitchesTheLogAtOnce) {
  Start();
  ConnectTo("demo");
  EXPECT_EQ(LogText(), "");
  app_->run_state.SettingsChanged = false;
  Click("SetShowDebug");
  EXPECT_TRUE(app_->settings.DebugLog);
  EXPECT_FALSE(app_->run_state.SettingsChanged);  // no new run for a log
  app_->run_state.SettingsChanged = true;
  Click("DoContinue_2");
  EXPECT_NE(
      LogText().find(
          "SETTINGS           STATS=FALSE CARDINALITY=MAX COMPRESSION=PAGE"),
      std::string::npos);
  Click("SetShowDebug");
  EXPECT_FALSE(app_->settings.DebugLog);
  const size_t size = LogText().size();
  Tabs()->setCurrentIndex(kOptionsTab);
  Click("DoContinue_2");
  EXPECT_EQ(LogText().size(), size);
}

TEST_F(GuiTest, WithDebugOnTheLogRecordsTheSessionInOrder) {
  WriteFileBytes(dir_.File("TARVEXCOMPRESS.DBG"), "old run\r\n");
  WriteFileBytes(dir_.File("TarvexCompEst.ini"), "* test\r\nDEBUG=ON\r\n");
  Start();
  EXPECT_FALSE(Get<QCheckBox>("SetShowDebug")->isChecked());
  ConnectTo("demo");
  Click("DoContinue_2");
  const std::string log = LogText();
  EXPECT_EQ(log.find("old run"), std::string::npos);  // started afresh
  std::vector<std::string> expected = {
      "Panel              Showing startup screen",
      "Panel              Continue button pressed",
      "Panel              Showing connection panel",
      "Panel              Continue button pressed",
      "Panel              Connect button pressed",
      "TarvexConnect      Allocating Database Environment",
      "PAGESIZE           PAGESIZE=T.PAGESIZE",
      "Panel              Continue button pressed",
      "SETTINGS           STATS=FALSE CARDINALITY=MAX COMPRESSION=PAGE",
      "Query              Reading result set",
      "Compute            Calculating compression on Owner=Audit "
      "Table=Config_History",
      "Panel              Displaying Results"};
  size_t at = 0;
  for (const std::string& entry : expected) {
    const size_t found = log.find(entry, at);
    ASSERT_NE(found, std::string::npos) << entry;
    at = found + entry.size();
  }
  // "Showing startup screen" comes once from the Load event.
  EXPECT_EQ(log.find("Showing startup screen",
                     log.find("Showing startup screen") + 1),
            std::string::npos);
  // The first click on the box leaves the log on, the second turns it off.
  Tabs()->setCurrentIndex(kOptionsTab);
  Click("SetShowDebug");
  EXPECT_TRUE(app_->settings.DebugLog);
  Click("SetShowDebug");
  EXPECT_FALSE(app_->settings.DebugLog);
}

TEST_F(GuiTest, TheMessageFileRenamesTheScreen) {
  WriteFileBytes(
      dir_.File("TarvexCompEst.msg"),
      "   4  ,  Quit  \r\n1,Estimator\r\n10,\r\n82,Nothing matches ; note\r\n");
  Start();
  EXPECT_EQ(window_->windowTitle(), "Estimator");
  // Shown as the texts are (a letter of each underlined for its Alt key).
  for (const char* exit :
       {"ExitAll_0", "ExitAll_1", "ExitAll_2", "ExitAll_3"}) {
    EXPECT_EQ(ui::ShownText(Get<QAbstractButton>(exit)->text()), "Quit");
  }
  EXPECT_EQ(Tabs()->tabText(0), "");
  EXPECT_EQ(Get<QLabel>("Title_0")->text(), "");
  EXPECT_EQ(ui::ShownText(Get<QAbstractButton>("DelimComma")->text()),
            "Command Delimiter");
  EXPECT_EQ(ui::ShownText(Get<QGroupBox>("tab3SchemaList")->title()),
            "Schemas");
  EXPECT_EQ(ui::ShownText(Get<QAbstractButton>("DoContinue_1")->text()),
            "Continue");
}

TEST_F(GuiTest, ClosingOnTheDisclaimerEndsTheProgram) {
  Start();
  window_->close();
  EXPECT_EQ(ended_, 1);
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_FALSE(app_->connection.ConnectionOpen());
}

TEST_F(GuiTest, ExitDisconnectsFromEveryPanel) {
  Start();
  ConnectTo("demo");
  EXPECT_TRUE(app_->connection.ConnectionOpen());
  Click("ExitAll_2");
  EXPECT_EQ(ended_, 1);
  EXPECT_FALSE(app_->connection.ConnectionOpen());
}

TEST_F(GuiTest, ExitDuringARunEndsWhenTheRunHasStopped) {
  Start();
  ConnectTo("demo");
  auto repaint = app_->models.progress.on_change;
  bool pressed = false;
  int during_run_enabled = -1;
  app_->models.progress.on_change = [&] {
    repaint();
    if (pressed || app_->models.progress.text != "Records: 10") return;
    pressed = true;
    during_run_enabled = Get("DoContinue_2")->isEnabled() ? 1 : 0;
    Click("DoContinue_2");  // refused while the run works
    Click("ExitAll_2");
    EXPECT_EQ(ended_, 0);  // not yet: the run still holds the connection
  };
  Click("DoContinue_2");
  EXPECT_TRUE(pressed);
  EXPECT_EQ(during_run_enabled, 0);
  EXPECT_EQ(ended_, 1);
  EXPECT_FALSE(app_->connection.ConnectionOpen());
  EXPECT_FALSE(window_->wizard().busy());
  // No "no tables" box: the run was stopped, not empty.
  EXPECT_TRUE(BoxTexts().empty()) << ::testing::PrintToString(BoxTexts());
}

TEST_F(GuiTest, InformationLabelsOpenTheirTopics) {
  Start();
  // The help files are beside the program, not in the current directory.
  QTest::mouseClick(Get("InfoCredits"), Qt::LeftButton);
  EXPECT_EQ(window_->help_window().windowTitle(),
            "About the Tarvex Compression Estimator");
  EXPECT_TRUE(window_->help_window().isVisible());
  ConnectTo("demo");
  QTest::mouseClick(Get("InfoTables"), Qt::LeftButton);
  EXPECT_EQ(window_->help_window().windowTitle(), "Tables");
  EXPECT_TRUE(window_->isEnabled());  // not modal
}

TEST_F(GuiTest, HelpWindowsCloseWithEscapeOrTheirButton) {
  WriteFileBytes(dir_.File("TarvexComp-Credits.hlp"),
                 "About\r\nA short topic.\r\n");
  Start();
  QTest::mouseClick(Get("InfoCredits"), Qt::LeftButton);
  HelpWindowWidget& help = window_->help_window();
  ASSERT_TRUE(help.isVisible());
  // Beside the main window, as far as the screen lets it.
  const QRect screen = window_->screen()->availableGeometry();
  if (screen.right() - window_->frameGeometry().right() > help.width()) {
    EXPECT_GT(help.x(), window_->frameGeometry().right());
  } else {
    EXPECT_GT(help.x(), window_->x());
  }
  // A short topic needs no scroll bar.
  auto* text = help.findChild<QPlainTextEdit*>("HelpText");
  EXPECT_FALSE(text->verticalScrollBar()->isVisible());
  QTest::keyClick(&help, Qt::Key_Escape);
  EXPECT_FALSE(help.isVisible());
  QTest::mouseClick(Get("InfoCredits"), Qt::LeftButton);
  ASSERT_TRUE(help.isVisible());
  auto* close = help.findChild<QDialogButtonBox*>("HelpButtons")
                    ->button(QDialogButtonBox::Close);
  QTest::mouseClick(close, Qt::LeftButton);
  EXPECT_FALSE(help.isVisible());
}

TEST_F(GuiTest, HugeInputsAreTakenCalmly) {
  Start();
  Click("DoContinue_0");
  Get<QLineEdit>("InputDatabase")->setText(QString(20000, 'x'));
  Get<QLineEdit>("InputUserid")->setText(QString(5000, 'u'));
  Get<QLineEdit>("InputPassword")->setText(QString(5000, 'p'));
  Click("DoContinue_1");
  EXPECT_EQ(TabStates(), "-E-- 1");
  EXPECT_EQ(BoxTexts().back(), "Connection failed.");
  Get<QLineEdit>("InputDatabase")->setText("demo");
  Get<QLineEdit>("InputUserid")->clear();
  Get<QLineEdit>("InputPassword")->clear();
  Click("DoContinue_1");
  ASSERT_EQ(TabStates(), "--E- 2");
  QString lines;
  for (int i = 0; i < 5000; ++i) lines += QString("table_%1\n").arg(i);
  lines += "customer\nstock%";
  Get<QPlainTextEdit>("TableSelect")->setPlainText(lines);
  // A filter that large runs as a real server runs it.
  Click("DoContinue_2");
  EXPECT_EQ(TabStates(), "--EE 3");
  EXPECT_EQ(app_->models.results_grid.RowCount(),
            4);  // customer and three stock% tables
}

TEST_F(GuiTest, ADatabaseThatBreaksAfterConnectingIsReported) {
  // A copy of the demo server that the test may damage.
  const std::filesystem::path source =
      std::filesystem::path(ExecutableDirectory()) / "tvserver";
  std::filesystem::copy(source, dir_.path() / "server");
  Start();
  ConnectTo((dir_.path() / "server" / "demo.db").string());
  ASSERT_EQ(TabStates(), "--E- 2");
  WriteFileBytes((dir_.path() / "server" / "demo.db").string(),
                 std::string(8192, 'x'));
  Click("DoContinue_2");
  EXPECT_EQ(TabStates(), "--E- 2");
  // The driver's reason, then that nothing was found.
  ASSERT_GE(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[boxes_.size() - 2].first, "SQL Error");
  EXPECT_EQ(boxes_.back().second,
            "No tables or schemas found meeting your criteria.");
  EXPECT_TRUE(app_->run_state.SettingsChanged);
  EXPECT_TRUE(Get("DoContinue_2")->isEnabled());
}

// Enter presses Continue on every panel, whatever control has the focus
// (unless it takes Enter itself, as a filter box does); Continue comes
// before Exit when tabbing; F1 opens the focused group's help.
TEST_F(GuiTest, TheWizardWorksByKeyboard) {
  Start();
  window_->show();
  Get("Disclaimer")->setFocus();  // the read-only text takes no Enter
  QTest::keyClick(Get("Disclaimer"), Qt::Key_Return);
  ASSERT_EQ(TabStates(), "-E-- 1");
  auto* database = Get<QLineEdit>("InputDatabase");
  database->setText("demo");
  database->setFocus();
  QTest::keyClick(database, Qt::Key_Return);
  ASSERT_EQ(TabStates(), "--E- 2");
  for (int tab : {0, 1, 2}) {
    QWidget* next = Get(("DoContinue_" + std::to_string(tab)).c_str());
    QWidget* exit = Get(("ExitAll_" + std::to_string(tab)).c_str());
    QWidget* after = next->nextInFocusChain();
    while (after != exit && !(after->focusPolicy() & Qt::TabFocus))
      after = after->nextInFocusChain();
    EXPECT_EQ(after, exit) << tab;
  }
  auto* slider = Get<QSlider>("CompRange");
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_F1);
  EXPECT_TRUE(window_->help_window().isVisible());
  EXPECT_EQ(window_->help_window().windowTitle().toStdString(),
            "Minimum Compression (%)");
  auto* tables = Get<QPlainTextEdit>("TableSelect");
  tables->setFocus();
  QTest::keyClick(tables, Qt::Key_Return);  // a new line, not a run
  EXPECT_EQ(TabStates(), "--E- 2");
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Return);
  EXPECT_EQ(TabStates(), "--EE 3");
}

}  // namespace
}  // namespace tce
