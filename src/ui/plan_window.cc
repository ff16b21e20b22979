#include "ui/plan_window.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
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
#include "base/number_text.h"
#include "model/format.h"
#include "output/results_output.h"
#include "ui/grid_view.h"
#include "ui/main_window.h"
#include "ui/mnemonics.h"
#include "ui/qt_desktop_port.h"
#include "ui/qt_text.h"
#include "ui/ui_helpers.h"
#include "ui/widgets.h"

namespace tce::ui {
namespace {

// The recommendations' names on screen, in their order.
constexpr Msg kGroupNames[kRecommendations] = {
    Msg::kPlanPage, Msg::kPlanRow, Msg::kPlanLeave, Msg::kPlanNoStatistics};

}  // namespace

int PlanTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : plan_.Count();
}

int PlanTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(PlanColumns().size());
}

QVariant PlanTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= plan_.Count()) return {};
  const PlanColumn& column = PlanColumns()[static_cast<size_t>(index.column())];
  const PlanRow row{plan_.Table(index.row()), plan_.Line(index.row())};
  const bool advice = column.id == kPlanAdviceCol;
  if (role == Qt::DisplayRole) {
    if (advice) {
      return FromBytes(messages_[kGroupNames[static_cast<size_t>(
          row.line.recommendation)]]);
    }
    return FromBytes(column.text(row, PlanView()));
  }
  if (role == Qt::BackgroundRole && advice &&
      row.line.recommendation != Recommendation::kNoStatistics) {
    return SavingColour(SavingClassOf(row.line.better_pct));
  }
  if (role == Qt::TextAlignmentRole)
    return static_cast<int>(AlignmentOf(column.align));
  return {};
}

QVariant PlanTableModel::headerData(int section, Qt::Orientation orientation,
                                    int role) const {
  if (orientation != Qt::Horizontal || section < 0 ||
      section >= static_cast<int>(PlanColumns().size())) {
    return {};
  }
  const PlanColumn& column = PlanColumns()[static_cast<size_t>(section)];
  if (role == Qt::DisplayRole) return FromBytes(messages_[column.header({})]);
  if (role == Qt::ToolTipRole) {
    const std::string& tip = messages_[column.header_tip({})];
    return tip.empty() ? QVariant() : QVariant(WrapTip(FromBytes(tip)));
  }
  if (role == Qt::TextAlignmentRole)
    return static_cast<int>(AlignmentOf(column.align));
  return {};
}

void PlanTableModel::Refresh() {
  beginResetModel();
  endResetModel();
}

QString PlanWindow::Text(Msg entry) const {
  return FromBytes(app_.messages[entry]);
}

PlanWindow::PlanWindow(AppState& app, MainWindow& main_window)
    : app_(app), main_window_(main_window) {
  setObjectName(QStringLiteral("PlanWindow"));
  setWindowTitle(Text(Msg::kPlanTitle));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildControls());
  layout->addWidget(BuildTotals());
  layout->addWidget(BuildList(), 1);
  auto* buttons = new QHBoxLayout();
  format_ = new QComboBox(this);
  format_->setObjectName(QStringLiteral("PlanFormat"));
  format_->addItems({Text(Msg::kFormatTab), Text(Msg::kFormatComma),
                     Text(Msg::kFormatJson)});
  auto* save = new QPushButton(Text(Msg::kPlanExport), this);
  save->setObjectName(QStringLiteral("PlanExport"));
  save->setToolTip(WrapTip(Text(Msg::kPlanExportTip)));
  auto* close = new QPushButton(Text(Msg::kClose), this);
  close->setObjectName(QStringLiteral("PlanClose"));
  auto* format_label = new QLabel(Text(Msg::kFormatLabel), this);
  format_label->setBuddy(format_);
  buttons->addWidget(format_label);
  buttons->addWidget(format_);
  buttons->addWidget(save);
  buttons->addStretch(1);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  connect(save, &QPushButton::clicked, this, [this] { Export(); });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  main_window_.desktop().SetSaveDialog(SaveDialog::kPlan, SaveFileDialog(this));
  MarkLetters(LabelledControls(this), {});
  // Wide enough for the list's columns and the chart's labels.
  resize(Px(12600), Px(9000));
}

PlanWindow::~PlanWindow() = default;

QWidget* PlanWindow::BuildControls() {
  auto* box = new QWidget(this);
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  auto spin = [&](const char* name, int value, Msg suffix) {
    auto* control = new QSpinBox(box);
    control->setObjectName(QString::fromLatin1(name));
    control->setRange(0, 100);
    control->setValue(value);
    control->setSuffix(Text(suffix));
    connect(control, &QSpinBox::valueChanged, this, [this] { ApplyRule(); });
    return control;
  };
  margin_ = spin("PlanMargin", PlanRule().margin, Msg::kPointsSuffix);
  threshold_ = spin("PlanThreshold", PlanRule().threshold, Msg::kPercentSuffix);
  margin_->setToolTip(WrapTip(Text(Msg::kPlanMarginTip)));
  threshold_->setToolTip(WrapTip(Text(Msg::kPlanThresholdTip)));
  auto* margin_label = new QLabel(Text(Msg::kPlanMargin), box);
  margin_label->setBuddy(margin_);
  auto* threshold_label =
      new QLabel(Text(Msg::kPlanThreshold), box);
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
      {Text(Msg::kPlanTables), Text(Msg::kPlanSize), Text(Msg::kPlanSizeAfter),
       Text(Msg::kPlanSaved)});
  QStringList groups;
  for (Msg name : kGroupNames) groups << Text(name);
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
  size_bars_ = new QBarSet(Text(Msg::kPlanSize));
  after_bars_ = new QBarSet(Text(Msg::kPlanSizeAfter));
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
  // The groups' names whole: there is room for them under their bars.
  categories->setTruncateLabels(false);
  axis_ = new QValueAxis();
  axis_->setLabelFormat(QStringLiteral("%.0f"));
  chart->addAxis(categories, Qt::AlignBottom);
  chart->addAxis(axis_, Qt::AlignLeft);
  series->attachAxis(categories);
  series->attachAxis(axis_);
  chart->setMargins(QMargins(2, 2, 2, 2));
  auto* view = new QChartView(chart, box);
  view->setObjectName(QStringLiteral("PlanChart"));
  view->setFocusPolicy(Qt::NoFocus);  // a picture: nothing to do by keys
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumHeight(Px(2600));
  row->addWidget(view, 1);
  return box;
}

QWidget* PlanWindow::BuildList() {
  model_ = new PlanTableModel(plan_, app_.messages, this);
  list_ = new GridView(model_, LeastWidths(PlanColumns()),
                       GrowingColumns(PlanColumns()), this);
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
  setWindowTitle(Text(Msg::kPlanTitleOf) +
                 FromBytes(plan_.record().database));
  if (!isVisible()) {
    // Opened from the window the user works in, which gets the keys back.
    opener_ = QApplication::activeWindow();
    PlaceBeside(this, opener_ != nullptr
                          ? opener_.data()
                          : static_cast<QWidget*>(&main_window_));
  }
  show();
  KeepOnScreen(this);  // the frame is known now
  raise();
  activateWindow();
  list_->setFocus();
}

void PlanWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (opener_ != nullptr && opener_->isVisible()) opener_->activateWindow();
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
                             FromBytes(ScreenBytes(group.size_bytes)),
                             FromBytes(ScreenBytes(group.after_bytes)),
                             FromBytes(ScreenBytes(group.saved_bytes))};
    for (int col = 0; col < 4; ++col) {
      auto* item = new QTableWidgetItem(cells[col]);
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      totals_->setItem(i, col, item);
    }
    top = std::max(top, group.size_bytes);
  }
  // The chart's unit: the largest that keeps the largest group above 1.
  const ByteScale scale = ByteScaleFor(top);
  for (int i = 0; i < kRecommendations; ++i) {
    const PlanGroup& group = plan_.totals()[static_cast<size_t>(i)];
    size_bars_->replace(i, group.size_bytes / scale.bytes);
    after_bars_->replace(i, group.after_bytes / scale.bytes);
  }
  axis_->setTitleText(QString::fromLatin1(scale.unit));
  SetWholeTicks(axis_, top / scale.bytes);
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
  if (event->key() == Qt::Key_F1) {
    main_window_.ShowHelp("TarvexComp-Plan.hlp", this);
    return;
  }
  if (PressFocusedButton(this, event)) return;
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace tce::ui
