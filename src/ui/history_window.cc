#include "ui/history_window.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "history/since.h"
#include "history/trend.h"
#include "model/format.h"
#include "ui/main_window.h"
#include "ui/mnemonics.h"
#include "ui/qt_text.h"
#include "ui/ui_helpers.h"
#include "ui/widgets.h"

namespace tce::ui {
namespace {

// The changes listed at most; the summary counts them all.
constexpr int kShownChanges = 500;

QTableWidget* Table(QWidget* parent, const char* name, const QStringList& headers) {
  auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  table->setObjectName(QString::fromLatin1(name));
  table->setHorizontalHeaderLabels(headers);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setFocusPolicy(Qt::StrongFocus);
  table->setTabKeyNavigation(false);  // Tab leaves the list, as in the grids
  table->verticalHeader()->hide();
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

// Fills row `row`; cells from `first_number` on are figures, set right.
void SetRow(QTableWidget* table, int row, const std::vector<std::string>& cells,
            int first_number) {
  for (int col = 0; col < static_cast<int>(cells.size()); ++col) {
    auto* item = new QTableWidgetItem(FromBytes(cells[static_cast<size_t>(col)]));
    if (col >= first_number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, col, item);
  }
}

std::string Pct(const TableRecord* side, Fixed4 pct) {
  return side == nullptr ? std::string() : PercentText(pct.ToDouble());
}

}  // namespace

HistoryWindow::HistoryWindow(AppState& app, MainWindow& main_window)
    : app_(app), main_window_(main_window) {
  setObjectName(QStringLiteral("HistoryWindow"));
  setWindowTitle(Text(Msg::kHistoryTitle));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout();
  runs_list_ = Table(this, "HistoryRuns",
                     {Text(Msg::kHistoryRun), Text(Msg::kHistoryWhen),
                      Text(Msg::kReportTables), Text(Msg::kReportSize),
                      Text(Msg::kReportSavedPct)});
  runs_list_->setToolTip(Text(Msg::kHistoryRunsTip));
  connect(runs_list_, &QTableWidget::currentCellChanged, this,
          [this](int row) { ShowChangesSince(row); });
  top->addWidget(runs_list_, 1);
  top->addWidget(BuildTrend(), 1);
  layout->addLayout(top, 2);
  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("HistorySummary"));
  summary_->setWordWrap(true);
  layout->addWidget(summary_);
  changes_ = Table(this, "HistoryChanges",
                   {Text(Msg::kReportOwner), Text(Msg::kReportTable),
                    Text(Msg::kHistoryThen), Text(Msg::kHistoryNow),
                    Text(Msg::kHistoryChange), Text(Msg::kHistorySavedThen),
                    Text(Msg::kHistorySavedNow), Text(Msg::kHistoryChanges)});
  changes_->setAccessibleName(Text(Msg::kHistoryChangesSince));
  layout->addWidget(changes_, 3);
  auto* buttons = new QHBoxLayout();
  auto* info = new InfoLabel(QStringLiteral("InfoHistory"), this);
  info->on_click = [this] {
    main_window_.ShowHelp("TarvexComp-History.hlp", this);
  };
  auto* close = new QPushButton(Text(Msg::kClose), this);
  close->setObjectName(QStringLiteral("HistoryClose"));
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  buttons->addWidget(info);
  buttons->addStretch(1);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  MarkLetters(LabelledControls(this), {});
  resize(Px(12000), Px(9000));
}

HistoryWindow::~HistoryWindow() = default;

QString HistoryWindow::Text(Msg entry) const {
  return FromBytes(app_.messages[entry]);
}

QWidget* HistoryWindow::BuildTrend() {
  chart_ = new QChart();
  chart_->legend()->setAlignment(Qt::AlignBottom);
  auto* view = new QChartView(chart_, this);
  view->setObjectName(QStringLiteral("HistoryTrend"));
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumHeight(Px(2400));
  chart_view_ = view;
  return view;
}

std::unique_ptr<History> HistoryWindow::OpenFile() {
  std::unique_ptr<History> history;
  const Status status =
      History::Open(app_.history_file, &history, History::Access::kRead);
  if (!status.ok()) app_.reporter.ShowMessage(status.ToString());
  return history;
}

void HistoryWindow::Keep(std::shared_ptr<const RunRecord> record) {
  std::unique_ptr<History> history;
  Status status = History::Open(app_.history_file, &history);
  int64_t id = 0;
  bool added = false;
  if (status.ok()) status = history->Keep(*record, &id, &added);
  SinceResult since;
  if (status.ok())
    status = ChangesSince(*history, record, Since{}, PlanRule(), &since);
  if (!status.ok()) {
    notes_ = ChangeNotes();
    app_.reporter.ShowMessage(
        Fill(app_.messages[Msg::kHistoryNotKept], {status.ToString()}));
    return;
  }
  notes_ = ChangeNotes(std::move(since));
  if (isVisible()) ShowHistory(std::move(record));
}

void HistoryWindow::ShowHistory(std::shared_ptr<const RunRecord> record) {
  if (app_.history_file.empty()) {
    app_.reporter.ShowMessage(app_.messages[Msg::kHistoryNoFile]);
    return;
  }
  if (!record) return;
  const std::unique_ptr<History> history = OpenFile();
  if (!history) return;
  record_ = std::move(record);
  runs_.clear();
  const Status status =
      history->RunsOf(record_->server, record_->database, &runs_);
  if (!status.ok()) {
    app_.reporter.ShowMessage(status.ToString());
    return;
  }
  std::reverse(runs_.begin(), runs_.end());
  FillRuns();
  FillTrend(*history);
  setWindowTitle(Text(Msg::kHistoryTitle) + QStringLiteral(": ") +
                 FromBytes(record_->database));
  show();
  raise();
  activateWindow();
  runs_list_->setFocus();
}

void HistoryWindow::FillRuns() {
  const QSignalBlocker quiet(runs_list_);
  runs_list_->setRowCount(static_cast<int>(runs_.size()));
  const std::string now = RunKeyTime(record_->started);
  int chosen = -1;
  for (size_t i = 0; i < runs_.size(); ++i) {
    const KeptRun& run = runs_[i];
    SetRow(runs_list_, static_cast<int>(i),
           {std::to_string(run.id), LocalMinuteText(run.started),
            Grouped(static_cast<uint64_t>(run.totals.tables)),
            ScreenBytes(run.totals.size_bytes),
            PercentText(run.totals.SavedPct(run.method))},
           2);
    if (chosen < 0 && RunKeyTime(run.started) < now) chosen = static_cast<int>(i);
  }
  if (runs_.empty()) {
    summary_->setText(Text(Msg::kHistoryNoRuns));
    changes_->setRowCount(0);
    return;
  }
  runs_list_->setCurrentCell(std::max(chosen, 0), 0);
  ShowChangesSince(std::max(chosen, 0));
}

void HistoryWindow::FillTrend(History& history) {
  std::vector<TrendPoint> points;
  chart_->removeAllSeries();
  for (QAbstractAxis* axis : chart_->axes()) chart_->removeAxis(axis);
  if (!TrendOf(history, *record_, &points).ok() || points.empty()) return;
  double top = 0;
  for (const TrendPoint& p : points) top = std::max(top, p.size_bytes);
  const ByteScale scale = ByteScaleFor(top);
  auto* size = new QLineSeries();
  auto* compressed = new QLineSeries();
  size->setName(Text(Msg::kHistorySizeLegend));
  compressed->setName(FromBytes(app_.messages[Msg::kReportCompressedLegend]));
  for (size_t i = 0; i < points.size(); ++i) {
    size->append(static_cast<double>(i + 1), points[i].size_bytes / scale.bytes);
    compressed->append(static_cast<double>(i + 1),
                       points[i].compressed_bytes / scale.bytes);
  }
  chart_->addSeries(size);
  chart_->addSeries(compressed);
  // The runs' axis counts them, 1 to n, each label once: a tick on every
  // run up to ten, beyond on every k-th.
  auto* runs = new QValueAxis();
  const double last = std::max<double>(2, static_cast<double>(points.size()));
  runs->setRange(1, last);
  runs->setLabelFormat(QStringLiteral("%.0f"));
  runs->setTickType(QValueAxis::TicksDynamic);
  runs->setTickAnchor(1);
  runs->setTickInterval(std::max(1.0, std::ceil((last - 1) / 9)));
  runs->setTitleText(Text(Msg::kHistoryRun));
  auto* bytes = new QValueAxis();
  bytes->setTitleText(QString::fromLatin1(scale.unit));
  SetWholeTicks(bytes, top / scale.bytes);
  chart_->addAxis(runs, Qt::AlignBottom);
  chart_->addAxis(bytes, Qt::AlignLeft);
  for (QLineSeries* series : {size, compressed}) {
    series->attachAxis(runs);
    series->attachAxis(bytes);
  }
  // The chart's text alternative is the report's.
  const std::string title = Fill(
      app_.messages[Msg::kHistoryTrendTitle],
      {record_->database, std::to_string(points.size()),
       ScreenBytes(points.front().size_bytes),
       ScreenBytes(points.front().compressed_bytes),
       LocalMinuteText(points.front().started), ScreenBytes(points.back().size_bytes),
       ScreenBytes(points.back().compressed_bytes),
       LocalMinuteText(points.back().started)});
  chart_view_->setAccessibleName(FromBytes(title));
  chart_view_->setToolTip(FromBytes(title));
}

void HistoryWindow::ShowChangesSince(int row) {
  changes_->setRowCount(0);
  if (row < 0 || row >= static_cast<int>(runs_.size()) || !record_) return;
  const std::unique_ptr<History> history = OpenFile();
  if (!history) return;
  SinceResult since;
  const Status status = ChangesSince(
      *history, record_, Since{Since::Kind::kRun, {}, runs_[static_cast<size_t>(row)].id},
      PlanRule(), &since);
  if (!status.ok() || !since.found) {
    summary_->setText(FromBytes(status.ok() ? since.why : status.ToString()));
    return;
  }
  const Changes& c = since.changes;
  auto n = [&](int bit) { return std::to_string(c.counts[bit]); };
  summary_->setText(FromBytes(
      Fill(app_.messages[Msg::kHistoryComparedWith],
           {LocalMinuteText(since.before.started), std::to_string(since.before.id),
            std::to_string(c.tables.size())}) +
      " " +
      Fill(app_.messages[Msg::kHistoryCounts],
           {n(0), n(1), n(2), n(3), n(8), n(9), n(11)}) +
      (c.settings.empty() ? "" : " " + SettingsSentence(c, app_.messages))));
  const int shown = std::min(static_cast<int>(c.tables.size()), kShownChanges);
  changes_->setRowCount(shown);
  for (int i = 0; i < shown; ++i) {
    const TableChange& t = c.tables[static_cast<size_t>(i)];
    // The words of the change last: the column takes the room left and
    // its tooltip the whole text.
    const std::string words = KindWords(t.kinds, app_.messages);
    SetRow(changes_, i,
           {t.owner(), t.table(), t.before ? ScreenBytes(t.size_before) : "",
            t.now ? ScreenBytes(t.size_now) : "", SignedBytes(t.size_change(), true),
            Pct(t.before, t.saved_before), Pct(t.now, t.saved_now), words},
           2);
    changes_->item(i, 7)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    changes_->item(i, 7)->setToolTip(FromBytes(words));
  }
}

void HistoryWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    main_window_.ShowHelp("TarvexComp-History.hlp", this);
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

// The main window's hooks into the history.

HistoryWindow& MainWindow::history_window() {
  // Made when first needed: without HISTORY= most sessions never need it.
  if (!history_) history_ = std::make_unique<HistoryWindow>(app_, *this);
  return *history_;
}

void MainWindow::RunCompleted(std::shared_ptr<const RunRecord> record) {
  if (app_.history_file.empty()) return;
  history_window().Keep(std::move(record));
}

void MainWindow::ShowHistory(std::shared_ptr<const RunRecord> record) {
  history_window().ShowHistory(std::move(record));
}

std::string MainWindow::HistoryTip(const TableRecord& table) const {
  return history_ ? history_->TipFor(table) : std::string();
}

}  // namespace tce::ui
