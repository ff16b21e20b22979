// The program by keys alone: every key goes to the control that has the
// focus (to the active window when none has), as the keyboard sends it;
// message boxes and file dialogs are answered through the desktop port.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTableView>
#include <filesystem>
#include <set>

#include "gui_fixture.h"
#include "ui/grid_view.h"
#include "ui/mnemonics.h"
#include "ui/plan_window.h"
#include "ui/widgets.h"

namespace tce {
namespace {

using ::tce::testing::GuiTest;
using Names = std::vector<std::string>;

class KeyboardTest : public GuiTest {
 protected:
  QWidget* Focus() {
    QWidget* focus = QApplication::focusWidget();
    return focus != nullptr ? focus : QApplication::activeWindow();
  }
  std::string FocusName() {
    QWidget* focus = Focus();
    return focus != nullptr ? focus->objectName().toStdString() : "(none)";
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* at = Focus();
    ASSERT_NE(at, nullptr);
    QTest::keyClick(at, key, modifiers);
  }
  // Alt and the letter a control's text underlines.
  void Alt(const QString& text) {
    const QKeySequence keys = QKeySequence::mnemonic(text);
    ASSERT_FALSE(keys.isEmpty()) << text.toStdString();
    QTest::keySequence(Focus(), keys);
  }
  // The controls Tab visits from the focused one until it comes back; each
  // is seen to have the focus.
  Names Stops() {
    Names names{FocusName()};
    QWidget* start = Focus();
    for (int i = 0; i < 40; ++i) {
      ExpectRinged();
      Key(Qt::Key_Tab);
      if (Focus() == start) return names;
      names.push_back(FocusName());
    }
    return names;  // never came back
  }
  void TabTo(const char* name) {
    for (int i = 0; i < 20 && FocusName() != name; ++i) Key(Qt::Key_Tab);
    ASSERT_EQ(FocusName(), name);
  }
  // The focused control is ringed: a pixel on at least one side of it,
  // 2 from its edge, has the highlight colour.
  void ExpectRinged() {
    QWidget* focus = Focus();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(window_->ringed(), focus) << FocusName();
    QWidget* top = focus->window();
    const QImage image = top->grab().toImage();
    const QColor ring = focus->palette().color(QPalette::Highlight);
    const int w = focus->width(), h = focus->height();
    int sides = 0;
    for (QPoint at : {QPoint(-2, h / 2), QPoint(w + 1, h / 2),
                      QPoint(w / 2, -2), QPoint(w / 2, h + 1)}) {
      const QPoint p = focus->mapTo(top, at);
      sides += image.rect().contains(p) && QColor(image.pixel(p)) == ring;
    }
    EXPECT_GE(sides, 2) << FocusName();
  }
  // A grid's current cell is framed too, in the highlight colour on a
  // mark's ground.
  void ExpectCellFramed(QTableView* grid) {
    const QRect cell = grid->visualRect(grid->currentIndex());
    const QImage image = grid->viewport()->grab().toImage();
    EXPECT_EQ(QColor(image.pixel(cell.left() + 2, cell.center().y())),
              grid->palette().color(QPalette::Highlight));
  }
};

// The whole program by keys, stage by stage; each stage starts where the
// last one left the focus.
class KeyboardRouteTest : public KeyboardTest {
 protected:
  // The wizard: each panel's stops, an option by its letter, a run.
  void ThroughTheWizard() {
    Start();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    // The disclaimer's text has the focus; Tab goes round its panel.
    EXPECT_EQ(Stops(), (Names{"Disclaimer", "DoContinue_0", "ExitAll_0",
                              "qt_tabwidget_tabbar"}));
    ExpectRinged();
    Key(Qt::Key_Return);
    ASSERT_EQ(TabStates(), "-E-- 1");
    EXPECT_EQ(Stops(),
              (Names{"InputDatabase", "InputUserid", "InputPassword",
                     "DoContinue_1", "ExitAll_1", "qt_tabwidget_tabbar"}));
    QTest::keyClicks(Focus(), "demo");
    Key(Qt::Key_Return);
    ASSERT_EQ(TabStates(), "--E- 2");
    // One stop for each pair of options (the arrows choose within it).
    EXPECT_EQ(Stops(),
              (Names{"qt_tabwidget_tabbar", "CompRange", "MinTabSize",
                     "StatsIgnore", "ColumnCard", "PCTPage", "OptPageSize",
                     "DelimComma", "SetShowDebug", "SetShowSQL", "SchemaSelect",
                     "TableSelect", "DoContinue_2", "ExitAll_2"}));
    Alt(Get<QAbstractButton>("PCTRow")->text());
    QTRY_VERIFY(!app_->settings.EstimatePageCompression);
    Key(Qt::Key_Return);
    ASSERT_EQ(TabStates(), "--EE 3");
  }
  // The results' list has the focus, then its toolbar and the details.
  void MarkChartExportReport() {
    ASSERT_EQ(FocusName(), "TableDetails");
    ExpectRinged();
    EXPECT_EQ(Stops(), (Names{"TableDetails", "graphButton", "clearButton",
                              "outputButton", "magnifyButton", "planButton",
                              "reportButton", "historyButton", "exitButton",
                              "TableInfo",
                              "ExitAll_3", "qt_tabwidget_tabbar"}));
    const ResultsGrid& grid = app_->models.results_grid;
    Key(Qt::Key_Space);
    Key(Qt::Key_Down);
    Key(Qt::Key_Space);
    ExpectCellFramed(Get<QTableView>("TableDetails"));
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(FocusName(), "qt_tabwidget_tabbar");
    Key(Qt::Key_Tab);
    EXPECT_TRUE(grid.Marked(1) && grid.Marked(2) && !grid.Marked(3));
    Key(Qt::Key_Tab, Qt::ControlModifier);  // leaves the list too
    ASSERT_EQ(FocusName(), "graphButton");
    ExpectRinged();
    Key(Qt::Key_Space);
    EXPECT_EQ(Get<QLabel>("TableNameGraph")->text().left(9), "Tables: 2");
    TabTo("outputButton");
    save_answers_.push_back(dir_.File("keys.out"));
    Key(Qt::Key_Return);
    EXPECT_TRUE(std::filesystem::exists(dir_.File("keys.out")));
    ASSERT_EQ(box_owners_.size(), 1u);
    EXPECT_EQ(box_owners_.back(), window_.get());
    TabTo("reportButton");
    save_answers_.push_back(dir_.File("keys.html"));
    Key(Qt::Key_Space);
    EXPECT_TRUE(std::filesystem::exists(dir_.File("keys.html")));
  }
  // The plan: opened, its rule changed, exported, closed.
  void UseThePlan() {
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_EQ(FocusName(), "planButton");
    Key(Qt::Key_Space);
    ui::PlanWindow& plan = window_->plan_window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&plan));
    EXPECT_EQ(Stops(), (Names{"PlanList", "PlanFormat", "PlanExport",
                              "PlanClose", "PlanMargin", "PlanThreshold"}));
    auto* threshold = plan.findChild<QSpinBox*>("PlanThreshold");
    for (QLabel* label : plan.findChildren<QLabel*>()) {
      if (label->buddy() == threshold) Alt(label->text());
    }
    ASSERT_EQ(Focus(), threshold);
    Key(Qt::Key_Up);
    EXPECT_EQ(threshold->value(), PlanRule().threshold + 1);
    save_answers_.push_back(dir_.File("keys-plan.out"));
    Alt(plan.findChild<QAbstractButton*>("PlanExport")->text());
    QTRY_VERIFY(std::filesystem::exists(dir_.File("keys-plan.out")));
    EXPECT_EQ(box_owners_.back(), &plan);  // the confirmation stays with it
    Key(Qt::Key_Escape);
    EXPECT_FALSE(plan.isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    EXPECT_EQ(FocusName(), "planButton");
  }
  // Magnify and back: the marks travel with the list, both ways.
  void MagnifyAndBack() {
    const ResultsGrid& grid = app_->models.results_grid;
    TabTo("magnifyButton");
    Key(Qt::Key_Space);
    ui::LargeResultsWindow& large = window_->schema_list();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&large));
    EXPECT_EQ(Focus(), static_cast<QWidget*>(&large.grid_view()));
    EXPECT_EQ(Stops(), (Names{"TableDetails", "graphButton", "clearButton",
                              "outputButton", "planButton", "reportButton",
                              "historyButton", "exitButton"}));
    const ResultsGrid& large_grid = app_->models.large_grid;
    EXPECT_TRUE(large_grid.Marked(1) && large_grid.Marked(2));
    Key(Qt::Key_PageDown);
    const int paged = large.grid_view().currentIndex().row();
    EXPECT_GT(paged, 5);
    Key(Qt::Key_PageUp);
    EXPECT_LT(large.grid_view().currentIndex().row(), paged);
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Space);
    Key(Qt::Key_Return);
    EXPECT_EQ(Get<QLabel>("TableNameGraph")->text().toStdString(),
              large_grid.Row(large_grid.RowCount()).table);
    TabTo("graphButton");
    Key(Qt::Key_Return);
    EXPECT_EQ(Get<QLabel>("TableNameGraph")->text().left(9), "Tables: 3");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(large.isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    EXPECT_EQ(FocusName(), "TableDetails");
    EXPECT_TRUE(grid.Marked(1) && grid.Marked(2) &&
                grid.Marked(grid.RowCount()));
  }
  // A table's details, and how its estimate is made.
  void DetailsAndWhy() {
    const ResultsGrid& grid = app_->models.results_grid;
    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_Down);
    Key(Qt::Key_Return);
    EXPECT_EQ(Get<QLabel>("TableNameGraph")->text().toStdString(),
              grid.Row(2).table);
    TabTo("WhyButton");
    ExpectRinged();
    Key(Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_->why_window()));
    Key(Qt::Key_Escape);
    EXPECT_FALSE(window_->why_window().isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    EXPECT_EQ(FocusName(), "WhyButton");
  }
  // Back to the options by the tab's letter, page compression, a new run, and
  // out by Exit's letter.
  void AgainAndOut() {
    Alt(Tabs()->tabText(kOptionsTab));
    ASSERT_EQ(TabStates(), "--E- 2");
    Alt(Get<QAbstractButton>("PCTPage")->text());
    QTRY_VERIFY(app_->settings.EstimatePageCompression);
    Key(Qt::Key_Return);
    ASSERT_EQ(TabStates(), "--EE 3");
    EXPECT_EQ(FocusName(), "TableDetails");
    Alt(Get<QAbstractButton>("ExitAll_3")->text());
    QTRY_COMPARE(ended_, 1);
    EXPECT_FALSE(app_->connection.ConnectionOpen());
  }
};

// Through the wizard, marking, charting, exporting, the report, the plan,
// magnify and back, the details and how their estimate is made, back to
// the options for another run, and out.
TEST_F(KeyboardRouteTest, EveryWindowByKeysAlone) {
  ASSERT_NO_FATAL_FAILURE(ThroughTheWizard());
  ASSERT_NO_FATAL_FAILURE(MarkChartExportReport());
  ASSERT_NO_FATAL_FAILURE(UseThePlan());
  ASSERT_NO_FATAL_FAILURE(MagnifyAndBack());
  ASSERT_NO_FATAL_FAILURE(DetailsAndWhy());
  ASSERT_NO_FATAL_FAILURE(AgainAndOut());
}

// The letters a window's controls shown together underline: every
// labelled control has one (buttons that show a text, labels of a box, the
// frames named here that caption a control), and none is shared.
void ExpectOwnLetters(QWidget* panel, std::vector<QString> texts,
                      const std::vector<const char*>& frames) {
  for (QAbstractButton* button : panel->findChildren<QAbstractButton*>()) {
    if (button->isVisibleTo(panel) && button->icon().isNull() &&
        !button->text().isEmpty())
      texts.push_back(button->text());
  }
  for (QLabel* label : panel->findChildren<QLabel*>()) {
    if (label->buddy() != nullptr) texts.push_back(label->text());
  }
  for (const char* frame : frames)
    texts.push_back(panel->findChild<QGroupBox*>(frame)->title());
  std::set<QChar> letters;
  for (const QString& text : texts) {
    const QChar letter = ui::MarkedLetter(text);
    EXPECT_FALSE(letter.isNull()) << text.toStdString();
    EXPECT_TRUE(letters.insert(letter).second)
        << panel->objectName().toStdString() << ": " << text.toStdString();
  }
}

TEST_F(KeyboardTest, EveryLabelledControlHasALetterOfItsOwn) {
  Start();
  std::vector<QString> tabs;
  for (int tab = 0; tab < 4; ++tab) tabs.push_back(Tabs()->tabText(tab));
  ExpectOwnLetters(Get("DisclaimerPage"), tabs, {"tab1DisclaimerTitle"});
  ExpectOwnLetters(Get("ConnectionPage"), tabs, {});
  ExpectOwnLetters(Get("OptionsPage"), tabs,
                   {"tab3MinimumCompression", "tab3MinSize", "tab3SchemaList",
                    "tab3tablelist"});
  ExpectOwnLetters(Get("ResultsPage"), tabs, {"tab4Schemas", "tab4Details"});
  // The texts show as the message table and the captions have them.
  const MessageTable& m = app_->messages;
  const std::pair<QString, Msg> shown[] = {
      {Tabs()->tabText(kOptionsTab), Msg::kOptions},
      {Get<QAbstractButton>("DoContinue_2")->text(), Msg::kContinue},
      {Get<QAbstractButton>("ExitAll_3")->text(), Msg::kExit},
      {Get<QAbstractButton>("DelimComma")->text(), Msg::kCommaDelimiter},
      {Get<QGroupBox>("tab3SchemaList")->title(), Msg::kSchemas},
      {Get<QGroupBox>("tab4Details")->title(), Msg::kTableDetails}};
  for (const auto& [text, entry] : shown)
    EXPECT_EQ(ui::ShownText(text).toStdString(), m[entry]);
  EXPECT_EQ(ui::ShownText(Get<QAbstractButton>("PCTRow")->text()),
            "Use Row compression estimates");
  // A caption's letter leads to the control it names.
  ConnectTo("demo");
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  Alt(Get<QGroupBox>("tab3tablelist")->title());
  EXPECT_EQ(FocusName(), "TableSelect");
  window_->wizard().DoContinue(kOptionsTab);
  Alt(Get<QGroupBox>("tab4Details")->title());
  EXPECT_EQ(FocusName(), "TableInfo");
  ui::PlanWindow& plan = window_->plan_window();
  ExpectOwnLetters(&plan, {}, {});
}

// F1 opens a topic on every panel from the first moment: the focused
// control's group's, else the panel's.
TEST_F(KeyboardTest, F1AlwaysOpensATopic) {
  Start();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  ui::HelpWindowWidget& help = window_->help_window();
  auto topic = [&] {
    Key(Qt::Key_F1);
    const std::string title =
        help.isVisible() ? help.windowTitle().toStdString() : "(none)";
    help.close();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    return title;
  };
  Focus()->clearFocus();  // nothing has the focus yet
  EXPECT_EQ(topic(), "About the Tarvex Compression Estimator");
  Key(Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  EXPECT_EQ(topic(), "Connection");
  EXPECT_NE(help.findChild<QPlainTextEdit*>("HelpText")
                ->toPlainText()
                .indexOf("demo"),
            -1);
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  TabTo("ExitAll_1");
  EXPECT_EQ(topic(), "Connection");
  ConnectTo("demo");
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  EXPECT_EQ(FocusName(), "qt_tabwidget_tabbar");
  EXPECT_EQ(topic(), "Options");
  Click("DoContinue_2");
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  TabTo("ExitAll_3");
  EXPECT_EQ(topic(), "Results");
}

}  // namespace
}  // namespace tce
