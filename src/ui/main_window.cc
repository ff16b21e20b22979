#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <iterator>
#include <set>

#include "base/help_topics.h"
#include "base/text_util.h"
#include "ui/focus_style.h"
#include "ui/grid_view.h"
#include "ui/history_window.h"
#include "ui/large_results_window.h"
#include "ui/mnemonics.h"
#include "ui/plan_window.h"
#include "ui/qt_desktop_port.h"
#include "ui/qt_text.h"
#include "ui/ui_helpers.h"
#include "ui/widgets.h"

namespace tce::ui {
namespace {

// The help topic of each panel, for F1 where no group's topic applies.
constexpr const char* kPanelTopics[] = {
    "TarvexComp-Credits.hlp", "TarvexComp-Connection.hlp",
    "TarvexComp-Options.hlp", "TarvexComp-Results.hlp"};

}  // namespace

MainWindow::MainWindow(AppState& app, QtDesktopPort& desktop)
    : app_(app),
      desktop_(desktop),
      wizard_(app, *this),
      help_(std::make_unique<HelpWindowWidget>()),
      why_(std::make_unique<HelpWindowWidget>()) {
  UseFocusStyle();
  focus_ring_ = std::make_unique<FocusRing>();
  why_->setObjectName(QStringLiteral("WhyWindow"));
  why_->SetWidthTwips(9000);
  Register(Control::kMainWindow, this);
  desktop_.SetOwner(this);
  tabs_ = Register(Control::kTabs, new QTabWidget(this));
  tabs_->addTab(BuildDisclaimerPage(), QStringLiteral("Disclaimer"));
  tabs_->addTab(BuildConnectionPage(), QStringLiteral("Connection"));
  tabs_->addTab(BuildOptionsPage(), QStringLiteral("Options"));
  tabs_->addTab(BuildResultsPage(), QStringLiteral("Results"));
  const int tab_bar = tabs_->tabBar()->sizeHint().height();
  designed_size_ = QSize(Px(kPageWidth) + 4, Px(kPageHeight) + tab_bar + 4);
  tabs_->setGeometry(QRect(QPoint(0, 0), designed_size_));
  // The designed size is the smallest; the window may grow and be maximised.
  setMinimumSize(designed_size_);
  resize(designed_size_);
  connect(tabs_, &QTabWidget::currentChanged, this,
          [this](int tab) { wizard_.OnTabClick(tab); });
  SetTabOrders();

  app_.models.progress.on_change = [this] { RefreshProgress(); };
  app_.models.chart.on_change = [this] { RefreshChart(); };
  schema_list_ = std::make_unique<LargeResultsWindow>(app_, *this);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    ShowPanelHelp();
    return;
  }
  if (PressFocusedButton(this, event)) return;
  const bool enter =
      event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  QWidget* next = Find(Control::kDoContinue, tabs_->currentIndex());
  if (enter && next != nullptr && next->isEnabled() && next->isVisible()) {
    Continue(tabs_->currentIndex());
    return;
  }
  QWidget::keyPressEvent(event);
}

void MainWindow::ShowPanelHelp() {
  if (OpenHelpOfFocus(this)) return;
  const int tab = tabs_->currentIndex();
  if (tab >= 0 && tab < static_cast<int>(std::size(kPanelTopics)))
    ShowHelp(kPanelTopics[tab], this);
}

void MainWindow::SetTabOrders() {
  QWidget* previous = tabs_->tabBar();
  for (int tab = 0; tab < tabs_->count(); ++tab) {
    QWidget* next = Find(Control::kDoContinue, tab);
    QWidget* exit = Find(Control::kExitAll, tab);
    std::vector<QWidget*> order;
    for (QWidget* child : tabs_->widget(tab)->findChildren<QWidget*>()) {
      if (child->focusPolicy() != Qt::NoFocus && child->window() == this &&
          child->focusProxy() == nullptr && child != next && child != exit)
        order.push_back(child);
    }
    if (next != nullptr) order.push_back(next);
    order.push_back(exit);
    for (QWidget* widget : order) {
      setTabOrder(previous, widget);
      previous = widget;
    }
  }
}

void MainWindow::MarkMnemonics() {
  const std::set<QChar> tabs = MarkLetters(LabelledTabs(tabs_->tabBar()), {});
  for (int tab = 0; tab < tabs_->count(); ++tab)
    MarkLetters(LabelledControls(tabs_->widget(tab)), tabs);
}

QWidget* MainWindow::ringed() const { return focus_ring_->ringed(); }

MainWindow::~MainWindow() {
  app_.models.progress.on_change = nullptr;
  app_.models.chart.on_change = nullptr;
}

void MainWindow::AddFurniture(QWidget* page, int index,
                                   bool with_continue) {
  const std::string n = std::to_string(index);
  QLabel* title = Register(Control::kTitle,
                           Label("", QString(), page, 240, 60, 9000, 360), index);
  QFont font = title->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.4);
  title->setFont(font);
  QLabel* image =
      Label(("Image_" + n).c_str(), QString(), page, 240, 480, 1560, 1560);
  image->setPixmap(PanelImage(Px(1560)));
  QLabel* copyright =
      Register(Control::kTextCopyright,
               Label("", QString(), page, 240, 7140, 11880, 255), index);
  copyright->setStyleSheet(QStringLiteral("color: #666666;"));
  AnchorToFoot(copyright, false);
  auto* exit = Register(Control::kExitAll, new QPushButton(page), index);
  Place(exit, index == kResultsTab ? 240 : 10800, 6600, 1320, 420);
  AnchorToFoot(exit, index != kResultsTab);
  connect(exit, &QPushButton::clicked, this, [this] { wizard_.ExitAll(); });
  if (with_continue) {
    auto* next = Register(Control::kDoContinue, new QPushButton(page), index);
    Place(next, 9360, 6600, 1320, 420);
    AnchorToFoot(next, true);
    next->setDefault(true);
    connect(next, &QPushButton::clicked, this,
            [this, index] { Continue(index); });
  }
}

QGroupBox* MainWindow::Frame(const char* name, const char* caption,
                                  QWidget* parent, int left, int top, int width,
                                  int height, const char* info_name,
                                  const char* topic) {
  QGroupBox* frame = Make<QGroupBox>(name, parent);
  frame->setTitle(QString::fromLatin1(caption));
  Place(frame, left, top, width, height);
  if (info_name != nullptr) {
    auto* info = new InfoLabel(QString::fromLatin1(info_name), frame);
    info->move(Px(width - 380), Px(20));
    const std::string file = topic;
    info->on_click = [this, file] { ShowHelp(file, this); };
  }
  return frame;
}

QWidget* MainWindow::BuildDisclaimerPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("DisclaimerPage"));
  AddFurniture(page, kDisclaimerTab, true);
  QGroupBox* frame =
      Frame("tab1DisclaimerTitle", "Disclaimer", page, 2040, 420, 10080, 3600,
            "InfoCredits", "TarvexComp-Credits.hlp");
  auto* text = Make<QPlainTextEdit>("Disclaimer", frame);
  text->setReadOnly(true);
  Place(text, 120, 360, 9840, 3120);
  Label("VersionLabel", QString::fromLatin1(kVersionLabel), page, 240, 2160,
        1740, 255);
  Label("DateLabel", QString::fromLatin1(kDateLabel), page, 240, 2460, 1740,
        255);
  Label("CreditGroup", QString::fromLatin1(kCreditGroup), page, 240, 2880, 1740,
        500, true);
  Label("CreditLaboratory", QString::fromLatin1(kCreditLaboratory), page, 240,
        3420, 1740, 500, true);
  Register(Control::kTextHelp,
           Label("", QString(), page, 2040, 4200, 10080, 2280, true), 0);
  return page;
}

QWidget* MainWindow::BuildConnectionPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("ConnectionPage"));
  AddFurniture(page, kConnectionTab, true);
  Register(Control::kTextHelp,
           Label("", QString(), page, 2040, 420, 10080, 1560, true), 1);
  QGroupBox* frame = Frame("tab2Connect", "", page, 2040, 2100, 6240, 2040,
                           "InfoConnect", "TarvexComp-Connection.hlp");
  const char* labels[] = {"tab2Database", "tab2Userid", "tab2Password"};
  const char* captions[] = {"Database", "Userid", "Password"};
  const Control inputs[] = {Control::kInputDatabase, Control::kInputUserid,
                            Control::kInputPassword};
  for (int i = 0; i < 3; ++i) {
    QLabel* label = Label(labels[i], QString::fromLatin1(captions[i]), frame,
                          240, 420 + i * 540, 1200, 300);
    // Enter in a box reaches the window, which presses Continue.
    auto* input = Register(inputs[i], new QLineEdit(frame));
    Place(input, 1560, 360 + i * 540, 4440, 360);
    label->setBuddy(input);  // its letter leads to the box
  }
  auto* password = static_cast<QLineEdit*>(Find(Control::kInputPassword));
  password->setEchoMode(QLineEdit::Password);
  password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
  return page;
}

void MainWindow::Continue(int index) {
  QWidget* button = Find(Control::kDoContinue, index);
  QWidget* options = Find(Control::kOptionsFrame);
  // Nothing that changes the run can be pressed while it works.
  if (button != nullptr) button->setEnabled(false);
  if (index == kOptionsTab && options != nullptr) options->setEnabled(false);
  wizard_.DoContinue(index);
  if (ended_) return;
  if (button != nullptr) button->setEnabled(true);
  if (options != nullptr) options->setEnabled(true);
  // The results' list takes the keys as soon as it shows.
  if (index == kOptionsTab && tabs_->currentIndex() == kResultsTab)
    FocusResults();
}

void MainWindow::SetRunControlsEnabled(bool enabled) {
  if (QWidget* button = Find(Control::kDoContinue, kOptionsTab))
    button->setEnabled(enabled);
  if (QWidget* options = Find(Control::kOptionsFrame))
    options->setEnabled(enabled);
}

void MainWindow::AnchorToFoot(QWidget* widget, bool right) {
  anchored_.push_back({widget, widget->geometry(), right});
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (designed_size_.isEmpty()) return;
  tabs_->setGeometry(rect());
  const int dx = std::max(0, width() - designed_size_.width());
  const int dy = std::max(0, height() - designed_size_.height());
  for (const Anchored& item : anchored_) {
    item.widget->move(item.designed.x() + (item.right ? dx : 0),
                      item.designed.y() + dy);
  }
  LayOutResultsPage(dx, dy);
}

void MainWindow::ShowHelp(const std::string& topic_file, QWidget* near) {
  help_->PlaceBeside(near != nullptr ? near : this);
  ShowHelpTopic(topic_file, *help_);
}

void MainWindow::RefreshProgress() {
  progress_bar_->setValue(app_.models.progress.value);
  progress_text_->setText(FromBytes(app_.models.progress.text));
  // Painted when the run next lets events through, never synchronously.
  progress_bar_->update();
  progress_text_->update();
}

QWidget* MainWindow::Find(Control control, int index) const {
  const auto found = controls_.find({control, index});
  return found == controls_.end() ? nullptr : found->second;
}

void MainWindow::SetTabEnabled(int tab, bool enabled) {
  tabs_->setTabEnabled(tab, enabled);
}

void MainWindow::SelectTab(int tab) { tabs_->setCurrentIndex(tab); }

void MainWindow::SetFocusTo(Control control) {
  if (QWidget* widget = Find(control)) widget->setFocus();
}

void MainWindow::SetTabStop(Control control, bool on) {
  if (QWidget* widget = Find(control)) {
    widget->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

void MainWindow::SetCaption(Control control, const std::string& text) {
  SetCaptionOf(Find(control), text);
}

void MainWindow::SetCaptionOf(QWidget* widget, const std::string& text) {
  const QString caption = FromBytes(text);
  // Buttons and frames show an ampersand of the text as it is.
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(caption);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(Literal(caption));
  } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
    box->setTitle(Literal(caption));
  }
}

std::string MainWindow::Text(Control control) {
  QWidget* widget = Find(control);
  if (auto* line = qobject_cast<QLineEdit*>(widget))
    return ToBytes(line->text());
  if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
    return ToBytesCrLf(edit->toPlainText());
  }
  return {};
}

void MainWindow::ApplyScreenTexts(const MessageTable& messages) {
  for (const ScreenText& text : StartupScreenTexts()) {
    const std::string& entry = messages[text.entry];
    switch (text.target) {
      case ScreenTextTarget::kWindowCaption:
        setWindowTitle(FromBytes(entry));
        break;
      case ScreenTextTarget::kTabCaption:
        tabs_->setTabText(text.index, Literal(FromBytes(entry)));
        break;
      case ScreenTextTarget::kGridHeader:
        app_.models.details.SetHeader(text.index, entry, text.width_twips);
        table_info_->SetColumnWidthTwips(text.index, text.width_twips);
        break;
      case ScreenTextTarget::kCaption:
        if (text.index >= 0) {
          SetCaptionOf(Find(text.control, text.index), entry);
        } else if (!IsControlArray(text.control)) {
          SetCaption(text.control, entry);
        } else {
          for (int i = 0; i < 4; ++i)
            SetCaptionOf(Find(text.control, i), entry);
        }
        break;
    }
  }
  why_button_->setText(FromBytes(messages[Msg::kWhy]));
  why_button_->setToolTip(WrapTip(FromBytes(messages[Msg::kWhyTip])));
  PlaceWhyButton();
  MarkMnemonics();
}

void MainWindow::SetDisclaimer(const std::string& text) {
  if (auto* box = findChild<QPlainTextEdit*>(QStringLiteral("Disclaimer"))) {
    QString shown = FromBytes(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box->setPlainText(shown);
  }
}

void MainWindow::ShowWindow() {
  KeepOnScreen(this);
  show();
  KeepOnScreen(this);  // the frame is known now
  // The text to read first; Enter continues from it.
  if (auto* text = findChild<QPlainTextEdit*>(QStringLiteral("Disclaimer")))
    text->setFocus();
}

void MainWindow::ShowPlan(std::shared_ptr<const RunRecord> record) {
  plan_window().ShowPlan(std::move(record));
}

PlanWindow& MainWindow::plan_window() {
  // Made when first asked for: most sessions never open it.
  if (!plan_) plan_ = std::make_unique<PlanWindow>(app_, *this);
  return *plan_;
}

void MainWindow::EndProgram() {
  if (ended_) return;
  ended_ = true;
  help_->hide();
  why_->hide();
  schema_list_->hide();
  if (plan_) plan_->hide();
  if (history_) history_->hide();
  hide();
  if (on_end_program) {
    on_end_program();
  } else {
    QCoreApplication::quit();
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!ended_) wizard_.OnUnload();
  // During a run the program ends when the run has stopped.
  if (ended_) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace tce::ui
