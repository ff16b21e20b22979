#include "ui/plan_window.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>
#include <filesystem>

#include "actions/results_actions.h"
#include "model/format.h"
#include "output/results_output.h"
#include "base/number_text.h"
#include "ui/grid_view.h"
#include "ui/main_window.h"
#include "ui/qt_desktop_port.h"
#include "ui/qt_text.h"
#include "ui/ui_helpers.h"
#include "ui/widgets.h"

namespace tce::ui {
namespace {

constexpr const char* kHeaders[Plan::kColumns] = {
    "Schema",      "Table",       "Count",          "Size",
    "Row %Saved",  "Page %Saved", "Recommendation", "Saved"};
constexpr const char* kGroupNames[kRecommendations] = {
    "Page", "Row", "Leave as is", "No statistics"};

QColor SavingColour(SavingClass saving) {
  switch (saving) {
    case SavingClass::kLow:
      return QColor(255, 0, 0);
    case SavingClass::kMedium:
      return QColor(255, 255, 0);
    default:
      return QColor(0, 255, 0);
  }
}

}  // namespace

int PlanTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : plan_.Count();
}

int PlanTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Plan::kColumns;
}

QVariant PlanTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= plan_.Count()) return {};
  const TableRecord& table = plan_.Table(index.row());
  const PlanLine& line = plan_.Line(index.row());
  const int col = index.column();
  if (role == Qt::DisplayRole) {
    switch (col) {
      case Plan::kOwner:
        return FromBytes(table.owner);
      case Plan::kTable:
        return FromBytes(table.table);
      case Plan::kRows:
        return QString::fromStdString(table.row_count.ToText());
      case Plan::kSize:
        return FromBytes(HumanBytes(AllocatedBytes(table)));
      case Plan::kRowSaving:
        return QString::fromStdString(
            FormatNumber(SavedWholePct(table, Method::kRow)));
      case Plan::kPageSaving:
        return QString::fromStdString(
            FormatNumber(SavedWholePct(table, Method::kPage)));
      case Plan::kAdvice:
        return FromBytes(std::string(RecommendationName(line.recommendation)));
      default:
        return FromBytes(HumanBytes(line.saved_bytes));
    }
  }
  if (role == Qt::BackgroundRole && col == Plan::kAdvice &&
      line.recommendation != Recommendation::kNoStatistics) {
    return SavingColour(SavingClassOf(line.better_pct));
  }
  if (role == Qt::TextAlignmentRole) {
    return static_cast<int>(Qt::AlignVCenter | (col <= Plan::kTable ||
                                                        col == Plan::kAdvice
                                                    ? Qt::AlignLeft
                                                    : Qt::AlignRight));
  }
  return {};
}

QVariant PlanTableModel::headerData(int section, Qt::Orientation orientation,
                                    int role) const {
  if (orientation != Qt::Horizontal || section < 0 ||
      section >= Plan::kColumns || role != Qt::DisplayRole) {
    return {};
  }
  return QString::fromLatin1(kHeaders[section]);
}

void PlanTableModel::Refresh() {
  beginResetModel();
  endResetModel();
}

PlanWindow::PlanWindow(AppState& app, MainWindow& main_window)
    : app_(app), main_window_(main_window) {
  setObjectName(QStringLiteral("PlanWindow"));
  setWindowTitle(QStringLiteral("Compression plan"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildControls());
  layout->addWidget(BuildTotals());
  layout->addWidget(BuildList(), 1);
  auto* buttons = new QHBoxLayout();
  format_ = new QComboBox(this);
  format_->setObjectName(QStringLiteral("PlanFormat"));
  format_->addItems({QStringLiteral("Tab-delimited"),
                     QStringLiteral("Comma-delimited"), QStringLiteral("JSON")});
  auto* save = new QPushButton(QStringLiteral("&Export..."), this);
  save->setObjectName(QStringLiteral("PlanExport"));
  save->setToolTip(QStringLiteral("Write the plan to a file"));
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setObjectName(QStringLiteral("PlanClose"));
  buttons->addWidget(new QLabel(QStringLiteral("Format:"), this));
  buttons->addWidget(format_);
  buttons->addWidget(save);
  buttons->addStretch(1);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  connect(save, &QPushButton::clicked, this, [this] { Export(); });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  main_window_.desktop().SetSaveDialog(SaveDialog::kPlan, SaveFileDialog(this));
  resize(Px(11000), Px(9000));
}

PlanWindow::~PlanWindow() = default;

QWidget* PlanWindow::BuildControls() {
  auto* box = new QWidget(this);
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  auto spin = [&](const char* name, int value, const char* suffix) {
    auto* control = new QSpinBox(box);
    control->setObjectName(QString::fromLatin1(name));
    control->setRange(0, 100);
    control->setValue(value);
    control->setSuffix(QString::fromLatin1(suffix));
    connect(control, &QSpinBox::valueChanged, this, [this] { ApplyRule(); });
    return control;
  };
  margin_ = spin("PlanMargin", PlanRule().margin, " points");
  threshold_ = spin("PlanThreshold", PlanRule().threshold, " %");
  margin_->setToolTip(QStringLiteral(
      "Page compression is chosen only when it saves at least this many "
      "points more than row compression"));
  threshold_->setToolTip(QStringLiteral(
      "A table is recommended when the better method saves at least this"));
  auto* margin_label = new QLabel(QStringLiteral("Page only with a &margin of"), box);
  margin_label->setBuddy(margin_);
  auto* threshold_label =
      new QLabel(QStringLiteral("Compress from a &saving of"), box);
  threshold_label->setBuddy(threshold_);
  row->addWidget(margin_label);
  row->addWidget(margin_);
  row->addSpacing(Px(300));
  row->addWidget(threshold_label);
  row->addWidget(threshold_);
  row->addStretch(1);
  auto* info = new InfoLabel(QStringLiteral("InfoPlan"), box);
  info->on_click = [this] {
    main_window_.ShowHelp("TarvexComp-Plan.hlp", this);
  };
  row->addWidget(info);
  return box;
}

QWidget* PlanWindow::BuildTotals() {
  auto* box = new QWidget(this);
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  totals_ = new QTableWidget(kRecommendations, 4, box);
  totals_->setObjectName(QStringLiteral("PlanTotals"));
  totals_->setHorizontalHeaderLabels(
      {QStringLiteral("Tables"), QStringLiteral("Size"),
       QStringLiteral("Size after"), QStringLiteral("Saved")});
  QStringList groups;
  for (const char* name : kGroupNames) groups << QString::fromLatin1(name);
  totals_->setVerticalHeaderLabels(groups);
  totals_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  totals_->setSelectionMode(QAbstractItemView::NoSelection);
  totals_->setFocusPolicy(Qt::NoFocus);
  totals_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  totals_->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  totals_->setMinimumWidth(Px(5400));
  row->addWidget(totals_, 1);
  // The chart: each group's size now and after, in the unit of the largest.
  auto* chart = new QChart();
  size_bars_ = new QBarSet(QStringLiteral("Size"));
  after_bars_ = new QBarSet(QStringLiteral("Size after"));
  for (int i = 0; i < kRecommendations; ++i) {
    size_bars_->append(0);
    after_bars_->append(0);
  }
  auto* series = new QBarSeries();
  series->append(size_bars_);
  series->append(after_bars_);
  chart->addSeries(series);
  auto* categories = new QBarCategoryAxis();
  categories->append(groups);
  axis_ = new QValueAxis();
  axis_->setLabelFormat(QStringLiteral("%.0f"));
  chart->addAxis(categories, Qt::AlignBottom);
  chart->addAxis(axis_, Qt::AlignLeft);
  series->attachAxis(categories);
  series->attachAxis(axis_);
  chart->setMargins(QMargins(2, 2, 2, 2));
  auto* view = new QChartView(chart, box);
  view->setObjectName(QStringLiteral("PlanChart"));
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumHeight(Px(2600));
  row->addWidget(view, 1);
  return box;
}

QWidget* PlanWindow::BuildList() {
  model_ = new PlanTableModel(plan_, this);
  list_ = new GridView(model_, {1300, 1700, 1200, 1100, 1000, 1000, 1500, 1100},
                       {0, 1}, this);
  list_->setObjectName(QStringLiteral("PlanList"));
  list_->on_header_clicked = [this](int col) {
    plan_.SortBy(col);
    model_->Refresh();
    list_->AfterReset();
    QHeaderView* header = list_->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(plan_.sort_column(), plan_.sort_descending()
                                                      ? Qt::DescendingOrder
                                                      : Qt::AscendingOrder);
  };
  return list_;
}

void PlanWindow::ShowPlan(std::shared_ptr<const RunRecord> record) {
  plan_ = Plan(std::move(record), {margin_->value(), threshold_->value()});
  model_->Refresh();
  list_->AfterReset();
  list_->horizontalHeader()->setSortIndicatorShown(false);
  RefreshTotals();
  setWindowTitle(QStringLiteral("Compression plan: ") +
                 FromBytes(plan_.record().database));
  show();
  raise();
}

void PlanWindow::ApplyRule() {
  plan_.Apply({margin_->value(), threshold_->value()});
  model_->Refresh();
  RefreshTotals();
}

void PlanWindow::RefreshTotals() {
  double top = 0;
  for (int i = 0; i < kRecommendations; ++i) {
    const PlanGroup& group = plan_.totals()[static_cast<size_t>(i)];
    const QString cells[] = {QString::number(group.tables),
                             FromBytes(HumanBytes(group.size_bytes)),
                             FromBytes(HumanBytes(group.after_bytes)),
                             FromBytes(HumanBytes(group.saved_bytes))};
    for (int col = 0; col < 4; ++col) {
      auto* item = new QTableWidgetItem(cells[col]);
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      totals_->setItem(i, col, item);
    }
    top = std::max(top, group.size_bytes);
  }
  // The chart's unit: the largest that keeps the largest group above 1.
  const char* units[] = {"bytes", "kB", "MB", "GB", "TB"};
  int unit = 0;
  double scale = 1;
  while (unit < 4 && top / (scale * 1024) >= 1) {
    scale *= 1024;
    ++unit;
  }
  for (int i = 0; i < kRecommendations; ++i) {
    const PlanGroup& group = plan_.totals()[static_cast<size_t>(i)];
    size_bars_->replace(i, group.size_bytes / scale);
    after_bars_->replace(i, group.after_bytes / scale);
  }
  axis_->setTitleText(QString::fromLatin1(units[unit]));
  SetWholeTicks(axis_, top / scale);
}

void PlanWindow::Export() {
  const auto format = static_cast<ExportFormat>(format_->currentIndex());
  // The database's own name, without a folder or an extension.
  std::string name =
      std::filesystem::path(plan_.record().database).stem().string();
  if (name.empty()) name = "plan";
  const std::string proposed =
      name + "-plan" + (format == ExportFormat::kJson ? ".json" : ".out");
  SaveDocument(app_.reporter, SaveDialog::kPlan, proposed, format,
               plan_.Count(),
               [&](ResultWriter& writer) { WritePlanDocument(writer, plan_); });
}

void PlanWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && OpenHelpOfFocus(this)) return;
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace tce::ui
