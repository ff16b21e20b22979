// Small widgets of the windows: the information label, the two-bar chart
// and the help window.
#ifndef TCE_UI_WIDGETS_H_
#define TCE_UI_WIDGETS_H_

#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>
#include <functional>

#include "base/help_topics.h"
#include "model/views.h"

QT_BEGIN_NAMESPACE
class QChartView;
class QChart;
class QBarSet;
class QValueAxis;
QT_END_NAMESPACE

namespace tce::ui {

// A small circled "i" that opens a help topic when clicked.
class InfoLabel : public QWidget {
 public:
  InfoLabel(const QString& name, QWidget* parent);
  QSize sizeHint() const override;
  std::function<void()> on_click;

  // The information label among `parent`'s own children, or null.
  static InfoLabel* Of(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// `Chart`: two bars, size and compressed size, with a legend; renders a
// ChartModel.
class BarChart : public QWidget {
 public:
  BarChart(ChartModel& model, QWidget* parent);
  // Rebuilds the chart from the model and shows or hides it.
  void Refresh();
  // The labels and values as drawn, for tests.
  QString SizeLabel() const;
  QString CompressedLabel() const;

 private:
  // The two figures' labels with their colours, under the chart.
  QWidget* BuildLegend();

  ChartModel& model_;
  QChart* chart_;
  QChartView* view_;
  QBarSet* size_;
  QBarSet* compressed_;
  QValueAxis* values_;
  QLabel* legend_[2] = {nullptr, nullptr};
};

// Whole-number ticks on `axis` up to above `top`, a nice step apart (1, 2 or
// 5 times a power of ten) and never closer than 1, so that no label repeats;
// with nothing to show (top 0) the axis is 0 alone.
void SetWholeTicks(QValueAxis* axis, double top);

// `FormHelp`: one multi-line text box (scrolling only when the text does
// not fit) and a Close button; Escape closes it too. It opens beside the
// window that asked, as tall as its text up to most of the screen.
class HelpWindowWidget : public QWidget, public HelpWindow {
 public:
  HelpWindowWidget();
  void SetCaption(const std::string& caption) override;
  void SetText(const std::string& text) override;
  void Show() override;
  // The window the next topic is shown beside.
  void PlaceBeside(QWidget* near);
  // The window's width (twips); 6000 unless set.
  void SetWidthTwips(int twips) { width_twips_ = twips; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QPlainTextEdit* text_;
  QWidget* near_ = nullptr;
  int width_twips_ = 6000;
};

}  // namespace tce::ui

#endif  // TCE_UI_WIDGETS_H_
