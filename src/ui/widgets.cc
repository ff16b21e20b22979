#include "ui/widgets.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QValueAxis>

#include "ui/qt_text.h"

namespace tce::ui {

InfoLabel::InfoLabel(const QString& name, QWidget* parent) : QWidget(parent) {
  setObjectName(name);
  setCursor(Qt::PointingHandCursor);
  setToolTip(QStringLiteral("More information"));
  resize(sizeHint());
}

QSize InfoLabel::sizeHint() const { return {Px(300), Px(300)}; }

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

BarChart::BarChart(ChartModel& model, QWidget* parent)
    : QWidget(parent),
      model_(model),
      chart_(new QChart()),
      view_(new QChartView(chart_, this)) {
  setObjectName(QStringLiteral("Chart"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  view_->setRenderHint(QPainter::Antialiasing);
  chart_->legend()->setVisible(true);
  chart_->legend()->setAlignment(Qt::AlignBottom);
  chart_->setMargins(QMargins(2, 2, 2, 2));
  chart_->setBackgroundRoundness(0);
  // One category with an empty label, two series: size and compressed.
  size_ = new QBarSet(QString());
  size_->append(0);
  size_->setColor(QColor(70, 110, 180));
  compressed_ = new QBarSet(QString());
  compressed_->append(0);
  compressed_->setColor(QColor(90, 170, 90));
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

void BarChart::Refresh() {
  size_->setLabel(FromBytes(model_.size_label));
  size_->replace(0, model_.size_value);
  compressed_->setLabel(FromBytes(model_.compressed_label));
  compressed_->replace(0, model_.compressed_value);
  const double top =
      std::max({model_.size_value, model_.compressed_value, 0.0});
  values_->setMax(top > 0 ? top * 1.1 : 1.0);
  values_->setMin(std::min({model_.size_value, model_.compressed_value, 0.0}));
  values_->applyNiceNumbers();
  setVisible(model_.visible);
}

QString BarChart::SizeLabel() const { return size_->label(); }

QString BarChart::CompressedLabel() const { return compressed_->label(); }

HelpWindowWidget::HelpWindowWidget() : text_(new QPlainTextEdit(this)) {
  setObjectName(QStringLiteral("FormHelp"));
  setWindowTitle(QStringLiteral("Pelmar Compression Estimator"));
  text_->setObjectName(QStringLiteral("HelpText"));
  text_->setReadOnly(true);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(text_);
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

void HelpWindowWidget::Show() {
  show();
  raise();
}

}  // namespace tce::ui
