// The program by keys alone: every key goes to the control that has the
// focus (to the active window when none has), as the keyboard sends it;
// message boxes and file dialogs are answered through the desktop port.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTableView>
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

}  // namespace
}  // namespace tce
