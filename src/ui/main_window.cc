#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
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

#include "base/help_topics.h"
#include "base/text_util.h"
#include "ui/grid_view.h"
#include "ui/qt_desktop_port.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"

namespace tce::ui {
namespace {

constexpr int kPageWidth = 12360;  // twips
constexpr int kPageHeight = 7440;

void Place(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

template <typename T>
T* Make(const char* name, QWidget* parent) {
  T* widget = new T(parent);
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* Label(const char* name, const QString& text, QWidget* parent, int left,
              int top, int width, int height, bool wrap = false) {
  QLabel* label = Make<QLabel>(name, parent);
  label->setText(text);
  label->setWordWrap(wrap);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Place(label, left, top, width, height);
  return label;
}

// The panels' picture: a stack of pages pressed into a smaller one.
QPixmap PanelImage(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const double unit = size / 10.0;
  painter.setPen(QPen(QColor(40, 70, 120), unit * 0.15));
  for (int i = 0; i < 3; ++i) {
    painter.setBrush(QColor(200 - i * 30, 215 - i * 25, 240));
    painter.drawRect(QRectF(unit * (0.8 + i * 0.6), unit * (0.6 + i * 0.6),
                            unit * 4.2, unit * 5.0));
  }
  painter.setBrush(QColor(90, 170, 90));
  painter.drawRect(QRectF(unit * 6.2, unit * 6.6, unit * 3.0, unit * 2.6));
  QPolygonF arrow;
  arrow << QPointF(unit * 6.0, unit * 3.4) << QPointF(unit * 8.6, unit * 3.4)
        << QPointF(unit * 8.6, unit * 4.6) << QPointF(unit * 9.4, unit * 4.6)
        << QPointF(unit * 7.3, unit * 6.2) << QPointF(unit * 5.2, unit * 4.6)
        << QPointF(unit * 6.0, unit * 4.6);
  painter.setBrush(QColor(230, 140, 40));
  painter.drawPolygon(arrow);
  return pixmap;
}

// A window's `SelectFile`: no file-type filter, no default extension, the
// default title; replacing a file is confirmed as the toolkit does.
QFileDialog* SaveFileDialog(QWidget* parent) {
  auto* dialog = new QFileDialog(parent);
  dialog->setObjectName(QStringLiteral("SelectFile"));
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  return dialog;
}

struct HelpTopic {
  const char* label;
  const char* file;
};

// Which help topic each information label of the options panel opens.
constexpr HelpTopic kOptionTopics[] = {
    {"InfoCompression", "TarvexComp-Compression.hlp"},
    {"InfoTableSize", "TarvexComp-Size.hlp"},
    {"infoStats", "TarvexComp-StatsLevel.hlp"},
    {"InfoAlgorithm", "TarvexComp-Cardinality.hlp"},
    {"InfoPCTEst", "TarvexComp-PCTCalculation.hlp"},
    {"InfoSize", "TarvexComp-SavingsDisplay.hlp"},
    {"InfoTables", "TarvexComp-Tables.hlp"},
    {"InfoSchema", "TarvexComp-Schemas.hlp"},
    {"InfoDelimiter", "TarvexComp-Delimiter.hlp"},
    {"infoDebug", "TarvexComp-Debug.hlp"},
};

struct ToolButton {
  const char* key;
  const char* tooltip;
  QStyle::StandardPixmap icon;
};

// Builds a results toolbar with its keyed buttons, in their order.
QToolBar* ResultsToolbar(
    QWidget* parent, bool with_magnify, const char* exit_tooltip,
    const std::function<void(const std::string&)>& pressed) {
  QToolBar* bar = Make<QToolBar>("TB", parent);
  bar->setIconSize(QSize(16, 16));
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setStyleSheet(
      QStringLiteral("QToolBar { spacing: 1px; padding: 0px; }"));
  const ToolButton buttons[] = {
      {"graph", "Graph the selected tables", QStyle::SP_FileDialogContentsView},
      {"clear", "Clear all of the selected tables",
       QStyle::SP_DialogResetButton},
      {"output", "Copy results to disk", QStyle::SP_DialogSaveButton},
      {"magnify", "Separate results as a new window",
       QStyle::SP_TitleBarMaxButton},
      {"exit", exit_tooltip, QStyle::SP_DialogCloseButton},
  };
  for (const ToolButton& button : buttons) {
    if (!with_magnify && std::string(button.key) == "magnify") continue;
    if (std::string(button.key) == "output") bar->addSeparator();
    QAction* action = bar->addAction(bar->style()->standardIcon(button.icon),
                                     QString::fromLatin1(button.tooltip));
    action->setObjectName(QString::fromLatin1(button.key));
    action->setToolTip(QString::fromLatin1(button.tooltip));
    const std::string key = button.key;
    QObject::connect(action, &QAction::triggered, bar,
                     [pressed, key] { pressed(key); });
  }
  return bar;
}

}  // namespace

FormCompression::FormCompression(AppState& app, QtDesktopPort& desktop)
    : app_(app),
      desktop_(desktop),
      wizard_(app, *this),
      help_(std::make_unique<HelpWindowWidget>()) {
  setObjectName(QStringLiteral("FormCompression"));
  desktop_.SetOwner(this);
  tabs_ = Make<QTabWidget>("TBS", this);
  tabs_->addTab(BuildDisclaimerPage(), QStringLiteral("Disclaimer"));
  tabs_->addTab(BuildConnectionPage(), QStringLiteral("Connection"));
  tabs_->addTab(BuildOptionsPage(), QStringLiteral("Options"));
  tabs_->addTab(BuildResultsPage(), QStringLiteral("Results"));
  const int tab_bar = tabs_->tabBar()->sizeHint().height();
  tabs_->setGeometry(0, 0, Px(kPageWidth) + 4, Px(kPageHeight) + tab_bar + 4);
  setFixedSize(tabs_->size());
  connect(tabs_, &QTabWidget::currentChanged, this,
          [this](int tab) { wizard_.OnTabClick(tab); });

  app_.progress.on_change = [this] { RefreshProgress(); };
  app_.chart.on_change = [this] { RefreshChart(); };
  schema_list_ = std::make_unique<SchemaListWindow>(app_, *this);
}

FormCompression::~FormCompression() {
  app_.progress.on_change = nullptr;
  app_.chart.on_change = nullptr;
}

void FormCompression::AddFurniture(QWidget* page, int index,
                                   bool with_continue) {
  const std::string n = std::to_string(index);
  QLabel* title =
      Label(("Title_" + n).c_str(), QString(), page, 240, 60, 9000, 360);
  QFont font = title->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.4);
  title->setFont(font);
  QLabel* image =
      Label(("Image_" + n).c_str(), QString(), page, 240, 480, 1560, 1560);
  image->setPixmap(PanelImage(Px(1560)));
  QLabel* copyright = Label(("textcopyright_" + n).c_str(), QString(), page,
                            240, 7140, 11880, 255);
  copyright->setStyleSheet(QStringLiteral("color: #666666;"));
  auto* exit = Make<QPushButton>(("ExitAll_" + n).c_str(), page);
  Place(exit, index == kResultsTab ? 240 : 10800, 6600, 1320, 420);
  connect(exit, &QPushButton::clicked, this, [this] { wizard_.ExitAll(); });
  if (with_continue) {
    auto* next = Make<QPushButton>(("DoContinue_" + n).c_str(), page);
    Place(next, 9360, 6600, 1320, 420);
    next->setDefault(true);
    connect(next, &QPushButton::clicked, this,
            [this, index] { Continue(index); });
  }
}

QGroupBox* FormCompression::Frame(const char* name, const char* caption,
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
    info->on_click = [this, file] { ShowHelp(file); };
  }
  return frame;
}

QWidget* FormCompression::BuildDisclaimerPage() {
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
  Label("textHelp_0", QString(), page, 2040, 4200, 10080, 2280, true);
  return page;
}

QWidget* FormCompression::BuildConnectionPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("ConnectionPage"));
  AddFurniture(page, kConnectionTab, true);
  Label("textHelp_1", QString(), page, 2040, 420, 10080, 1560, true);
  QGroupBox* frame = Frame("tab2Connect", "", page, 2040, 2100, 6240, 2040);
  const char* labels[] = {"tab2Database", "tab2Userid", "tab2Password"};
  const char* captions[] = {"Database", "Userid", "Password"};
  const char* inputs[] = {"InputDatabase", "InputUserid", "InputPassword"};
  for (int i = 0; i < 3; ++i) {
    Label(labels[i], QString::fromLatin1(captions[i]), frame, 240,
          420 + i * 540, 1200, 300);
    auto* input = Make<QLineEdit>(inputs[i], frame);
    Place(input, 1560, 360 + i * 540, 4440, 360);
    connect(input, &QLineEdit::returnPressed, this,
            [this] { Continue(kConnectionTab); });
  }
  auto* password =
      frame->findChild<QLineEdit*>(QStringLiteral("InputPassword"));
  password->setEchoMode(QLineEdit::Password);
  password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
  return page;
}

QWidget* FormCompression::BuildOptionsPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("OptionsPage"));
  AddFurniture(page, kOptionsTab, true);
  Label("textHelp_2", QString(), page, 2040, 420, 10080, 960, true);
  QGroupBox* options =
      Frame("tab3CompressOptions", "", page, 2040, 1380, 10080, 4980);
  std::map<std::string, std::string> topics;
  for (const HelpTopic& topic : kOptionTopics) topics[topic.label] = topic.file;
  auto frame = [&](const char* name, const char* caption, int l, int t, int w,
                   int h, const char* info) {
    return Frame(name, caption, options, l, t, w, h, info,
                 topics[info].c_str());
  };

  auto slider = [&](QGroupBox* box, const char* name, const char* value_name) {
    QSlider* s = Make<QSlider>(name, box);
    s->setOrientation(Qt::Horizontal);
    s->setRange(0, 100);
    s->setSingleStep(10);
    s->setPageStep(10);
    s->setTickInterval(10);
    s->setTickPosition(QSlider::TicksBelow);
    Place(s, 120, 330, 2040, 480);
    Label(value_name, QStringLiteral("0"), box, 2220, 420, 600, 300);
    return s;
  };
  QGroupBox* compression =
      frame("tab3MinimumCompression", "Minimum Compression (%)", 120, 240, 2880,
            960, "InfoCompression");
  QSlider* comp_range = slider(compression, "CompRange", "CompValue");
  // Every way the slider moves (mouse, keys, wheel) sets the option, so
  // that the label always shows what the next run uses.
  connect(comp_range, &QSlider::valueChanged, this,
          [this](int value) { wizard_.OnCompRangeChange(value); });
  QGroupBox* size = frame("tab3MinSize", "Minimum Table Size (M)", 3060, 240,
                          2880, 960, "InfoTableSize");
  QSlider* min_size = slider(size, "MinTabSize", "MinTabSizeText");
  connect(min_size, &QSlider::valueChanged, this,
          [this](int value) { wizard_.OnMinTabSizeChange(value); });

  struct Pair {
    const char* frame;
    const char* caption;
    int l, t, w, h;
    const char* info;
    const char* first;
    const char* first_caption;
    const char* second;
    const char* second_caption;
    bool first_selected;
  };
  const Pair pairs[] = {
      {"tab3Statistics", "Statistics Level", 6000, 240, 3960, 960, "infoStats",
       "StatsIgnore", "Ignore tables with no statistics", "StatsAll",
       "Show all tables", false},
      {"tab3CardAlgorithm", "Cardinality Estimate", 120, 1260, 5400, 840,
       "InfoAlgorithm", "ColumnCard",
       "Cardinality based on individual columns only", "MaxCard",
       "Cardinality based on max value for similar data types", false},
      {"tab3Algorithm", "Compression Estimate", 5580, 1260, 4380, 840,
       "InfoPCTEst", "PCTPage", "Use Page compression estimates", "PCTRow",
       "Use Row compression estimates", true},
      {"tab3Size", "Savings Display", 120, 2160, 2880, 840, "InfoSize",
       "OptPageSize", "Show Page Savings", "OptRowSize", "Show Byte Savings",
       true},
      {"tab3ExportDelim", "Export Delimiter", 3060, 2160, 2880, 840,
       "InfoDelimiter", "DelimComma", "Comma Delimiter", "DelimTab",
       "Tab Delimiter", false},
  };
  for (const Pair& pair : pairs) {
    QGroupBox* box = frame(pair.frame, pair.caption, pair.l, pair.t, pair.w,
                           pair.h, pair.info);
    const char* names[] = {pair.first, pair.second};
    const char* captions[] = {pair.first_caption, pair.second_caption};
    for (int i = 0; i < 2; ++i) {
      QRadioButton* button = Make<QRadioButton>(names[i], box);
      button->setText(QString::fromLatin1(captions[i]));
      button->setChecked(i == 0 ? pair.first_selected : !pair.first_selected);
      Place(button, 120, (pair.h > 900 ? 330 : 290) + i * 260, pair.w - 240,
            260);
      const std::string name = names[i];
      connect(button, &QRadioButton::clicked, this, [this, name, button] {
        wizard_.OnOptionClick(name, button->isChecked());
      });
    }
  }
  QGroupBox* debug =
      frame("Frame1", "Debugging", 6000, 2160, 3960, 840, "infoDebug");
  QCheckBox* show_debug = Make<QCheckBox>("SetShowDebug", debug);
  show_debug->setText(QStringLiteral("Show Debug Info"));
  Place(show_debug, 120, 290, 3600, 260);
  connect(show_debug, &QCheckBox::clicked, this,
          [this](bool ticked) { wizard_.OnShowDebugClick(ticked); });
  QCheckBox* show_sql = Make<QCheckBox>("SetShowSQL", debug);
  show_sql->setText(QStringLiteral("Show SQL"));
  Place(show_sql, 120, 550, 3600, 260);
  connect(show_sql, &QCheckBox::clicked, this,
          [this](bool ticked) { wizard_.OnShowSqlClick(ticked); });

  auto filter_box = [&](const char* frame_name, const char* caption, int left,
                        const char* info, const char* box_name, bool owners) {
    QGroupBox* box = frame(frame_name, caption, left, 3060, 4860, 1800, info);
    QPlainTextEdit* edit = Make<QPlainTextEdit>(box_name, box);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setTabChangesFocus(true);
    Place(edit, 120, 330, 4380, 1350);
    connect(edit, &QPlainTextEdit::textChanged, this, [this, edit, owners] {
      const std::string text = ToBytesCrLf(edit->toPlainText());
      if (owners) {
        wizard_.OnSchemaSelectChange(text);
      } else {
        wizard_.OnTableSelectChange(text);
      }
    });
  };
  filter_box("tab3SchemaList", "Owners", 120, "InfoSchema", "SchemaSelect",
             true);
  filter_box("tab3tablelist", "Tables", 5100, "InfoTables", "TableSelect",
             false);

  progress_text_ =
      Label("ProgressText", QString(), page, 2040, 6420, 4000, 255);
  progress_bar_ = Make<QProgressBar>("ProgressBar", page);
  progress_bar_->setRange(0, 100);
  progress_bar_->setValue(0);
  progress_bar_->setTextVisible(false);
  Place(progress_bar_, 2040, 6720, 6960, 240);
  return page;
}

QWidget* FormCompression::BuildResultsPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("ResultsPage"));
  AddFurniture(page, kResultsTab, false);
  QGroupBox* schemas = Frame("tab4Schemas", "Results", page, 2040, 420, 10080,
                             3015, "InfoResults", "TarvexComp-Results.hlp");
  QToolBar* bar = ResultsToolbar(schemas, true, "Close Application",
                                 [this](const std::string& key) {
                                   wizard_.OnToolbar(key, app_.results_grid);
                                 });
  Place(bar, 120, 180, 2055, 390);
  results_grid_ = MakeResultsView(app_.results_grid, schemas);
  Place(results_grid_, 120, 600, 9855, 2295);

  QGroupBox* details =
      Frame("tab4CompressionDetails", "Compression Details", page, 2040, 3540,
            5535, 3375, "InfoCompDetails", "TarvexComp-CompressionDetails.hlp");
  chart_caption_ =
      Label("TableNameGraph", QString(), details, 360, 240, 4815, 255);
  chart_ = new BarChart(app_.chart, details);
  Place(chart_, 120, 600, 5295, 2655);

  QGroupBox* columns =
      Frame("tab4Details", "Table Details", page, 7680, 3540, 4440, 3375,
            "InfoTableDetails", "TarvexComp-TableDetails.hlp");
  auto* details_model = new DetailsTableModel(app_.details, this);
  table_info_ = new GridView(details_model, {1300, 1150, 700, 700}, columns);
  app_.details.on_change = [details_model] { details_model->Refresh(); };
  details_model->on_reset = [this] { table_info_->AfterReset(); };
  table_info_->setObjectName(QStringLiteral("TableInfo"));
  Place(table_info_, 120, 360, 4215, 2895);
  desktop_.SetSaveDialog(SaveDialog::kMain, SaveFileDialog(page));
  return page;
}

void FormCompression::Continue(int index) {
  QWidget* button = Find("DoContinue_" + std::to_string(index));
  QWidget* options = Find("tab3CompressOptions");
  // Nothing that changes the run can be pressed while it works.
  if (button != nullptr) button->setEnabled(false);
  if (index == kOptionsTab && options != nullptr) options->setEnabled(false);
  wizard_.DoContinue(index);
  if (ended_) return;
  if (button != nullptr) button->setEnabled(true);
  if (options != nullptr) options->setEnabled(true);
  // The results always have a visible home: the large-results window comes
  // back when a run finishes after it was closed.
  if (index == kOptionsTab && app_.window_state.LargeResultsShown &&
      tabs_->currentIndex() == kResultsTab) {
    schema_list_->show();
    schema_list_->raise();
  }
}

GridView* FormCompression::MakeResultsView(ResultsGrid& grid, QWidget* parent) {
  auto* model = new ResultsTableModel(grid, app_.messages, parent);
  auto* view = new GridView(
      model, {400, 1500, 1500, 1400, 1400, 1400, 900, 900}, parent);
  view->setObjectName(QStringLiteral("TableDetails"));
  view->horizontalHeader()->setSortIndicatorShown(false);
  model->on_reset = [view, &grid] {
    view->AfterReset();
    QHeaderView* header = view->horizontalHeader();
    header->setSortIndicatorShown(grid.sort_column() > 0);
    if (grid.sort_column() > 0) {
      header->setSortIndicator(grid.sort_column(), grid.sort_descending()
                                                       ? Qt::DescendingOrder
                                                       : Qt::AscendingOrder);
    }
    view->setVisible(grid.visible());
  };
  view->on_cell_clicked = [this, &grid](int row, int col) {
    wizard_.OnGridMouseUp(grid, row, col, row);
    wizard_.OnGridClick(grid, row, col);
  };
  view->on_other_button_released = [this, &grid](int row, int col) {
    wizard_.OnGridMouseUp(grid, row, col, row);
  };
  view->on_header_clicked = [this, &grid](int col) {
    wizard_.OnGridMouseUp(grid, grid.RowCount() > 0 ? 1 : 0, col, 0);
  };
  return view;
}

void FormCompression::ShowLargeResults() {
  if (QWidget* frame = Find("tab4Schemas")) frame->hide();
  if (QWidget* frame = Find("tab4CompressionDetails"))
    Place(frame, 2040, 480, 5535, 6500);
  Place(chart_, 120, 600, 5295, 5670);
  if (QWidget* frame = Find("tab4Details")) Place(frame, 7680, 480, 4440, 6500);
  Place(table_info_, 120, 360, 4215, 6150);
  schema_list_->show();
  schema_list_->raise();
}

void FormCompression::SetRunControlsEnabled(bool enabled) {
  if (QWidget* button = Find("DoContinue_2")) button->setEnabled(enabled);
  if (QWidget* options = Find("tab3CompressOptions"))
    options->setEnabled(enabled);
}

void FormCompression::ShowHelp(const std::string& topic_file) {
  ShowHelpTopic(topic_file, *help_);
}

void FormCompression::RefreshChart() {
  chart_caption_->setText(FromBytes(app_.chart.caption));
  chart_->Refresh();
  chart_caption_->update();
}

void FormCompression::RefreshProgress() {
  progress_bar_->setValue(app_.progress.value);
  progress_text_->setText(FromBytes(app_.progress.text));
  // Painted when the run next lets events through, never synchronously.
  progress_bar_->update();
  progress_text_->update();
}

QWidget* FormCompression::Find(const std::string& name) const {
  if (name == "TBS") return tabs_;
  return findChild<QWidget*>(QString::fromStdString(name));
}

void FormCompression::SetTabEnabled(int tab, bool enabled) {
  tabs_->setTabEnabled(tab, enabled);
}

void FormCompression::SelectTab(int tab) { tabs_->setCurrentIndex(tab); }

void FormCompression::SetFocusTo(const std::string& control) {
  if (QWidget* widget = Find(control)) widget->setFocus();
}

void FormCompression::SetTabStop(const std::string& control, bool on) {
  if (QWidget* widget = Find(control)) {
    widget->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

void FormCompression::SetCaption(const std::string& control,
                                 const std::string& text) {
  QWidget* widget = Find(control);
  const QString caption = FromBytes(text);
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(caption);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(caption);
  } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
    box->setTitle(caption);
  }
}

std::string FormCompression::Text(const std::string& control) {
  QWidget* widget = Find(control);
  if (auto* line = qobject_cast<QLineEdit*>(widget))
    return ToBytes(line->text());
  if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
    return ToBytesCrLf(edit->toPlainText());
  }
  return {};
}

void FormCompression::ApplyScreenTexts(const MessageTable& messages) {
  for (const ScreenText& text : StartupScreenTexts()) {
    const std::string& entry = messages[text.entry];
    switch (text.target) {
      case ScreenTextTarget::kWindowCaption:
        setWindowTitle(FromBytes(entry));
        break;
      case ScreenTextTarget::kTabCaption:
        tabs_->setTabText(text.index, FromBytes(entry));
        break;
      case ScreenTextTarget::kGridHeader:
        app_.details.SetHeader(text.index, entry, text.width_twips);
        table_info_->SetColumnWidthTwips(text.index, text.width_twips);
        break;
      case ScreenTextTarget::kCaption:
        if (text.index >= 0) {
          SetCaption(
              std::string(text.control) + "_" + std::to_string(text.index),
              entry);
        } else if (Find(text.control) != nullptr) {
          SetCaption(text.control, entry);
        } else {
          for (int i = 0; i < 4; ++i) {
            SetCaption(std::string(text.control) + "_" + std::to_string(i),
                       entry);
          }
        }
        break;
    }
  }
}

void FormCompression::SetDisclaimer(const std::string& text) {
  if (auto* box = findChild<QPlainTextEdit*>(QStringLiteral("Disclaimer"))) {
    QString shown = FromBytes(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box->setPlainText(shown);
  }
}

void FormCompression::ShowWindow() { show(); }

void FormCompression::EndProgram() {
  if (ended_) return;
  ended_ = true;
  help_->hide();
  schema_list_->hide();
  hide();
  if (on_end_program) {
    on_end_program();
  } else {
    QCoreApplication::quit();
  }
}

void FormCompression::closeEvent(QCloseEvent* event) {
  if (!ended_) wizard_.OnUnload();
  // During a run the program ends when the run has stopped.
  if (ended_) {
    event->accept();
  } else {
    event->ignore();
  }
}

SchemaListWindow::SchemaListWindow(AppState& app, FormCompression& main_window)
    : app_(app) {
  setObjectName(QStringLiteral("SchemaList"));
  setWindowTitle(QStringLiteral("Schemas"));
  QToolBar* bar =
      ResultsToolbar(this, false, "Exit the application",
                     [&main_window, this](const std::string& key) {
                       main_window.wizard().OnToolbar(key, app_.large_grid);
                     });
  Place(bar, 60, 60, 1695, 390);
  grid_ = main_window.MakeResultsView(app_.large_grid, this);
  Place(grid_, 60, 480, 9800, 6615);
  auto* info = new InfoLabel(QStringLiteral("InfoCompression"), this);
  info->move(Px(9600), 0);
  info->on_click = [&main_window] {
    main_window.ShowHelp("TarvexComp-LargeResults.hlp");
  };
  main_window.desktop().SetSaveDialog(SaveDialog::kLargeResults,
                                      SaveFileDialog(this));
  resize(Px(10000), Px(7125));
}

void SchemaListWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (resizing_) return;
  resizing_ = true;
  const int dpi_width = Px(10000);
  const double twips_per_pixel = 10000.0 / dpi_width;
  const SchemaListSize size =
      SchemaListResize(static_cast<int>(height() * twips_per_pixel + 0.5));
  if (width() != Px(size.width) || height() != Px(size.height)) {
    resize(Px(size.width), Px(size.height));
  }
  grid_->resize(Px(9800), Px(size.grid_height));
  resizing_ = false;
}

}  // namespace tce::ui
