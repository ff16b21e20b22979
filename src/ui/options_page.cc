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
QSlider* MinimumSlider(QGroupBox* box, const char* name,
                       const char* value_name) {
  QSlider* slider = Make<QSlider>(name, box);
  slider->setOrientation(Qt::Horizontal);
  slider->setRange(0, 100);
  slider->setSingleStep(10);
  slider->setPageStep(10);
  slider->setTickInterval(10);
  slider->setTickPosition(QSlider::TicksBelow);
  Place(slider, 120, 330, 2040, 480);
  Label(value_name, QStringLiteral("0"), box, 2220, 420, 600, 300);
  return slider;
}

// Two radio buttons in a frame, one option's two values.
struct ChoicePair {
  const char* frame;
  const char* caption;
  int left, top, width, height;
  const char* info;
  const char* first;
  const char* first_caption;
  const char* second;
  const char* second_caption;
  bool first_selected;
};

constexpr ChoicePair kChoicePairs[] = {
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

}  // namespace

QGroupBox* FormCompression::OptionFrame(QGroupBox* options, const char* name,
                                        const char* caption, int left, int top,
                                        int width, int height,
                                        const char* info) {
  const char* topic = "";
  for (const HelpTopic& entry : kOptionTopics) {
    if (std::strcmp(entry.label, info) == 0) topic = entry.file;
  }
  return Frame(name, caption, options, left, top, width, height, info, topic);
}

void FormCompression::AddMinimumSliders(QGroupBox* options) {
  QGroupBox* compression =
      OptionFrame(options, "tab3MinimumCompression", "Minimum Compression (%)",
                  120, 240, 2880, 960, "InfoCompression");
  QSlider* comp_range = MinimumSlider(compression, "CompRange", "CompValue");
  // Every way a slider moves (mouse, keys, wheel) sets the option, so that
  // the label always shows what the next run uses.
  connect(comp_range, &QSlider::valueChanged, this,
          [this](int value) { wizard_.OnCompRangeChange(value); });
  QGroupBox* size = OptionFrame(options, "tab3MinSize", "Minimum Table Size (M)",
                                3060, 240, 2880, 960, "InfoTableSize");
  QSlider* min_size = MinimumSlider(size, "MinTabSize", "MinTabSizeText");
  connect(min_size, &QSlider::valueChanged, this,
          [this](int value) { wizard_.OnMinTabSizeChange(value); });
}

void FormCompression::AddChoicePairs(QGroupBox* options) {
  for (const ChoicePair& pair : kChoicePairs) {
    QGroupBox* box = OptionFrame(options, pair.frame, pair.caption, pair.left,
                                 pair.top, pair.width, pair.height, pair.info);
    const char* names[] = {pair.first, pair.second};
    const char* captions[] = {pair.first_caption, pair.second_caption};
    for (int i = 0; i < 2; ++i) {
      QRadioButton* button = Make<QRadioButton>(names[i], box);
      button->setText(QString::fromLatin1(captions[i]));
      button->setChecked(i == 0 ? pair.first_selected : !pair.first_selected);
      Place(button, 120, (pair.height > 900 ? 330 : 290) + i * 260,
            pair.width - 240, 260);
      const std::string name = names[i];
      connect(button, &QRadioButton::clicked, this, [this, name, button] {
        wizard_.OnOptionClick(name, button->isChecked());
      });
    }
  }
}

void FormCompression::AddDebugChoices(QGroupBox* options) {
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

void FormCompression::AddFilterBoxes(QGroupBox* options) {
  auto filter_box = [&](const char* frame_name, const char* caption, int left,
                        const char* info, const char* box_name, bool owners) {
    QGroupBox* box =
        OptionFrame(options, frame_name, caption, left, 3060, 4860, 1800, info);
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
}

QWidget* FormCompression::BuildOptionsPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("OptionsPage"));
  AddFurniture(page, kOptionsTab, true);
  Label("textHelp_2", QString(), page, 2040, 420, 10080, 960, true);
  QGroupBox* options =
      Frame("tab3CompressOptions", "", page, 2040, 1380, 10080, 4980);
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
