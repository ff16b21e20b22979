// The options panel of the main window: the controls that set the run's
// options, each group with its information label.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <cstring>

#include "ui/main_window.h"
#include "ui/ui_helpers.h"
#include "ui/widgets.h"

namespace tce::ui {
namespace {

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

// A slider from 0 to 100 in steps of ten, with the label that shows its
// value beside it.
QSlider* MinimumSlider(QGroupBox* box, const char* name, QLabel*& value) {
  QSlider* slider = Make<QSlider>(name, box);
  slider->setOrientation(Qt::Horizontal);
  slider->setRange(0, 100);
  slider->setSingleStep(10);
  slider->setPageStep(10);
  slider->setTickInterval(10);
  slider->setTickPosition(QSlider::TicksBelow);
  Place(slider, 120, 330, 2040, 480);
  value = Label("", QStringLiteral("0"), box, 2220, 420, 600, 300);
  return slider;
}

// Two radio buttons in a frame, one option's two values.
struct ChoicePair {
  const char* frame;
  const char* caption;
  int left, top, width, height;
  const char* info;
  Control first;
  const char* first_caption;
  Control second;
  const char* second_caption;
  bool first_selected;
};

constexpr ChoicePair kChoicePairs[] = {
    {"tab3Statistics", "Statistics Level", 6000, 240, 3960, 960, "infoStats",
     Control::kStatsIgnore, "Ignore tables with no statistics", Control::kStatsAll,
     "Show all tables", false},
    {"tab3CardAlgorithm", "Cardinality Estimate", 120, 1260, 5400, 840,
     "InfoAlgorithm", Control::kColumnCard,
     "Cardinality based on individual columns only", Control::kMaxCard,
     "Cardinality based on max value for similar data types", false},
    {"tab3Algorithm", "Compression Estimate", 5580, 1260, 4380, 840,
     "InfoPCTEst", Control::kPCTPage, "Use Page compression estimates", Control::kPCTRow,
     "Use Row compression estimates", true},
    {"tab3Size", "Savings Display", 120, 2160, 2880, 840, "InfoSize",
     Control::kOptPageSize, "Show Page Savings", Control::kOptRowSize, "Show Byte Savings",
     true},
    {"tab3ExportDelim", "Export Delimiter", 3060, 2160, 2880, 840,
     "InfoDelimiter", Control::kDelimComma, "Comma Delimiter", Control::kDelimTab,
     "Tab Delimiter", false},
};

}  // namespace

QGroupBox* MainWindow::OptionFrame(QGroupBox* options, const char* name,
                                        const char* caption, int left, int top,
                                        int width, int height,
                                        const char* info) {
  const char* topic = "";
  for (const HelpTopic& entry : kOptionTopics) {
    if (std::strcmp(entry.label, info) == 0) topic = entry.file;
  }
  return Frame(name, caption, options, left, top, width, height, info, topic);
}

void MainWindow::AddMinimumSliders(QGroupBox* options) {
  QGroupBox* compression =
      OptionFrame(options, "tab3MinimumCompression", "Minimum Compression (%)",
                  120, 240, 2880, 960, "InfoCompression");
  QLabel* comp_value = nullptr;
  QSlider* comp_range = MinimumSlider(compression, "CompRange", comp_value);
  Register(Control::kCompValue, comp_value);
  // Every way a slider moves (mouse, keys, wheel) sets the option, so that
  // the label always shows what the next run uses.
  connect(comp_range, &QSlider::valueChanged, this,
          [this](int value) { wizard_.OnCompRangeChange(value); });
  QGroupBox* size = OptionFrame(options, "tab3MinSize", "Minimum Table Size (M)",
                                3060, 240, 2880, 960, "InfoTableSize");
  QLabel* size_value = nullptr;
  QSlider* min_size = MinimumSlider(size, "MinTabSize", size_value);
  Register(Control::kMinTabSizeText, size_value);
  connect(min_size, &QSlider::valueChanged, this,
          [this](int value) { wizard_.OnMinTabSizeChange(value); });
}

void MainWindow::AddChoicePairs(QGroupBox* options) {
  for (const ChoicePair& pair : kChoicePairs) {
    QGroupBox* box = OptionFrame(options, pair.frame, pair.caption, pair.left,
                                 pair.top, pair.width, pair.height, pair.info);
    if (std::strcmp(pair.frame, "tab3ExportDelim") == 0)
      Register(Control::kExportDelimFrame, box);
    const Control names[] = {pair.first, pair.second};
    const char* captions[] = {pair.first_caption, pair.second_caption};
    for (int i = 0; i < 2; ++i) {
      QRadioButton* button = Register(names[i], new QRadioButton(box));
      button->setText(QString::fromLatin1(captions[i]));
      button->setChecked(i == 0 ? pair.first_selected : !pair.first_selected);
      Place(button, 120, (pair.height > 900 ? 330 : 290) + i * 260,
            pair.width - 240, 260);
      const Control name = names[i];
      connect(button, &QRadioButton::clicked, this, [this, name, button] {
        wizard_.OnOptionClick(name, button->isChecked());
      });
    }
  }
}

void MainWindow::AddDebugChoices(QGroupBox* options) {
  QGroupBox* debug = OptionFrame(options, "Frame1", "Debugging", 6000, 2160,
                                 3960, 840, "infoDebug");
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
}

void MainWindow::AddFilterBoxes(QGroupBox* options) {
  auto filter_box = [&](Control frame, const char* caption, int left,
                        const char* info, Control box_control, bool owners) {
    QGroupBox* box = Register(
        frame, OptionFrame(options, "", caption, left, 3060, 4860, 1800, info));
    QPlainTextEdit* edit = Register(box_control, new QPlainTextEdit(box));
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
  filter_box(Control::kSchemaListFrame, "Owners", 120, "InfoSchema",
             Control::kSchemaSelect, true);
  filter_box(Control::kTableListFrame, "Tables", 5100, "InfoTables",
             Control::kTableSelect, false);
}

QWidget* MainWindow::BuildOptionsPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("OptionsPage"));
  AddFurniture(page, kOptionsTab, true);
  Register(Control::kTextHelp,
           Label("", QString(), page, 2040, 420, 10080, 960, true),
           kOptionsTab);
  QGroupBox* options = Register(
      Control::kOptionsFrame, Frame("", "", page, 2040, 1380, 10080, 4980));
  AddMinimumSliders(options);
  AddChoicePairs(options);
  AddDebugChoices(options);
  AddFilterBoxes(options);

  progress_text_ =
      Label("ProgressText", QString(), page, 2040, 6420, 4000, 255);
  progress_bar_ = Make<QProgressBar>("ProgressBar", page);
  progress_bar_->setRange(0, 100);
  progress_bar_->setValue(0);
  progress_bar_->setTextVisible(false);
  Place(progress_bar_, 2040, 6720, 6960, 240);
  AnchorToFoot(progress_text_, false);
  AnchorToFoot(progress_bar_, false);
  return page;
}

}  // namespace tce::ui
