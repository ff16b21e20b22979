#include "ui/widgets.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLegend>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

#include "ui/qt_text.h"
#include "ui/ui_helpers.h"

namespace tce::ui {

InfoLabel::InfoLabel(const QString& name, QWidget* parent) : QWidget(parent) {
  setObjectName(name);
  setCursor(Qt::PointingHandCursor);
  setToolTip(QStringLiteral("More information"));
  resize(sizeHint());
}

QSize InfoLabel::sizeHint() const { return {Px(300), Px(300)}; }

InfoLabel* InfoLabel::Of(QWidget* parent) {
  for (QObject* child : parent->children()) {
    if (auto* info = dynamic_cast<InfoLabel*>(child)) return info;
  }
  return nullptr;
}

void InfoLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const int side = std::min(width(), height()) - 2;
  const QRectF circle(1, 1, side, side);
  painter.setPen(QPen(QColor(30, 90, 170), 1.5));
  painter.setBrush(QColor(225, 236, 250));
  painter.drawEllipse(circle);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(std::max(8, side * 2 / 3));
  painter.setFont(font);
  painter.drawText(circle, Qt::AlignCenter, QStringLiteral("i"));
}

void InfoLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton &&
      rect().contains(event->position().toPoint()) && on_click) {
    on_click();
  }
}

namespace {

// The colours of the two bars, and of their legend's swatches.
const QColor kSizeColour(70, 110, 180);
const QColor kCompressedColour(90, 170, 90);

QBarSet* OneBar(const QColor& colour) {
  auto* bar = new QBarSet(QString());
  bar->append(0);
  bar->setColor(colour);
  bar->setBorderColor(colour);
  return bar;
}

}  // namespace

BarChart::BarChart(ChartModel& model, QWidget* parent)
    : QWidget(parent),
      model_(model),
      chart_(new QChart()),
      view_(new QChartView(chart_, this)) {
  setObjectName(QStringLiteral("Chart"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(view_, 1);
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setFocusPolicy(Qt::NoFocus);  // a picture: nothing to do by keys
  layout->addWidget(BuildLegend());
  chart_->setMargins(QMargins(2, 2, 2, 2));
  chart_->setBackgroundRoundness(0);
  // One category with an empty label, two series: size and compressed.
  size_ = OneBar(kSizeColour);
  compressed_ = OneBar(kCompressedColour);
  auto* series = new QBarSeries();
  series->append(size_);
  series->append(compressed_);
  chart_->addSeries(series);
  auto* categories = new QBarCategoryAxis();
  categories->append(QStringLiteral(" "));
  values_ = new QValueAxis();
  values_->setMin(0);
  values_->setLabelFormat(QStringLiteral("%.0f"));
  values_->setTruncateLabels(false);
  values_->setTickCount(5);
  chart_->addAxis(categories, Qt::AlignBottom);
  chart_->addAxis(values_, Qt::AlignLeft);
  series->attachAxis(categories);
  series->attachAxis(values_);
  Refresh();
}

QWidget* BarChart::BuildLegend() {
  // The legend is drawn beside the chart rather than in it: the chart's own
  // would cut long figures short.
  chart_->legend()->setVisible(false);
  auto* legend = new QWidget(this);
  legend->setObjectName(QStringLiteral("ChartLegend"));
  auto* rows = new QGridLayout(legend);
  rows->setContentsMargins(4, 0, 4, 2);
  rows->setHorizontalSpacing(6);
  rows->setVerticalSpacing(1);
  const QColor colours[] = {kSizeColour, kCompressedColour};
  for (int i = 0; i < 2; ++i) {
    auto* swatch = new QLabel(legend);
    const int side = fontMetrics().height() - 4;
    QPixmap box(side, side);
    box.fill(colours[i]);
    swatch->setPixmap(box);
    legend_[i] = new QLabel(legend);
    legend_[i]->setObjectName(i == 0 ? QStringLiteral("ChartSizeLabel")
                                     : QStringLiteral("ChartCompressedLabel"));
    legend_[i]->setWordWrap(true);
    rows->addWidget(swatch, i, 0);
    rows->addWidget(legend_[i], i, 1);
  }
  rows->setColumnStretch(1, 1);
  return legend;
}

void BarChart::Refresh() {
  size_->setLabel(FromBytes(model_.size_label));
  size_->replace(0, model_.size_value);
  compressed_->setLabel(FromBytes(model_.compressed_label));
  compressed_->replace(0, model_.compressed_value);
  legend_[0]->setText(size_->label());
  legend_[1]->setText(compressed_->label());
  SetWholeTicks(values_,
                std::max({model_.size_value, model_.compressed_value, 0.0}));
  setVisible(model_.visible);
}

void SetWholeTicks(QValueAxis* axis, double top) {
  double step = 1;
  for (double base = 1; step * 5 < top; base *= 10) {
    for (double factor : {1.0, 2.0, 5.0}) {
      step = factor * base;
      if (step * 5 >= top) break;
    }
  }
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0);
  axis->setTickInterval(step);
  axis->setRange(0, top > 0 ? std::ceil(top * 1.05 / step) * step : 0.5);
}

QString BarChart::SizeLabel() const { return size_->label(); }

QString BarChart::CompressedLabel() const { return compressed_->label(); }

HelpWindowWidget::HelpWindowWidget() : text_(new QPlainTextEdit(this)) {
  setObjectName(QStringLiteral("FormHelp"));
  setWindowTitle(QStringLiteral("Pelmar Compression Estimator"));
  text_->setObjectName(QStringLiteral("HelpText"));
  text_->setReadOnly(true);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->setObjectName(QStringLiteral("HelpButtons"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(text_);
  layout->addWidget(buttons);
  resize(Px(6000), Px(4200));
}

void HelpWindowWidget::SetCaption(const std::string& caption) {
  setWindowTitle(FromBytes(caption));
}

void HelpWindowWidget::SetText(const std::string& text) {
  QString shown = FromBytes(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text_->setPlainText(shown);
}

void HelpWindowWidget::PlaceBeside(QWidget* near) { near_ = near; }

void HelpWindowWidget::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void HelpWindowWidget::Show() {
  // As tall as the text needs, up to most of the screen.
  const int width = Px(width_twips_);
  QTextDocument measure;
  measure.setDefaultFont(text_->font());
  measure.setDocumentMargin(text_->document()->documentMargin());
  measure.setPlainText(text_->toPlainText());
  measure.setTextWidth(width - 12 - 2 * text_->frameWidth());
  const QScreen* screen =
      near_ != nullptr ? near_->screen() : QGuiApplication::primaryScreen();
  const QRect available =
      screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
  const int buttons_height =
      findChild<QDialogButtonBox*>(QStringLiteral("HelpButtons"))
          ->sizeHint()
          .height();
  const int wanted = static_cast<int>(measure.size().height()) +
                     2 * text_->frameWidth() + buttons_height + 24;
  const int height = std::clamp(wanted, Px(1500), available.height() * 7 / 10);
  resize(width, height);
  // Beside the window that asked, as far as the screen lets it.
  if (near_ != nullptr) ui::PlaceBeside(this, near_);
  show();
  KeepOnScreen(this);  // the frame is known now
  raise();
  activateWindow();
}

void HelpWindowWidget::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  // The keys go back to the window that asked.
  if (near_ != nullptr && near_->isVisible()) near_->window()->activateWindow();
}

}  // namespace tce::ui
