// The results panel of the main window: the results grid and its toolbar,
// the chart and the per-column grid, their room as the window grows, and
// their move when the large-results window takes the list.
#include <QGroupBox>
#include <algorithm>
#include <QHeaderView>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>

#include "ui/grid_view.h"
#include "ui/large_results_window.h"
#include "ui/main_window.h"
#include "ui/qt_desktop_port.h"
#include "ui/ui_helpers.h"
#include "ui/widgets.h"

namespace tce::ui {
namespace {

// Moves a frame's information label to its top right corner.
void PlaceInfoLabel(QWidget* frame) {
  if (InfoLabel* info = InfoLabel::Of(frame)) {
    info->move(frame->width() - Px(380), Px(20));
  }
}

// The top of a group box's inside, below its title.
int InsideTop(QWidget* frame) { return frame->fontMetrics().height() + 4; }

// The header's sort arrow on the grid's sorted column, none before a sort.
void ShowSortOf(GridView* view, const ResultsGrid& grid) {
  QHeaderView* header = view->horizontalHeader();
  header->setSortIndicatorShown(grid.sort_column() > 0);
  if (grid.sort_column() > 0) {
    header->setSortIndicator(grid.sort_column(), grid.sort_descending()
                                                     ? Qt::DescendingOrder
                                                     : Qt::AscendingOrder);
  }
}

}  // namespace

QWidget* MainWindow::BuildResultsPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("ResultsPage"));
  AddFurniture(page, kResultsTab, false);
  results_frame_ =
      Register(Control::kResultsFrame,
               Frame("", "Results", page, 2040, 420, 10080, 3015,
                     "InfoResults", "TarvexComp-Results.hlp"));
  // The list comes first when tabbing, then its toolbar.
  results_grid_ = MakeResultsView(app_.models.results_grid, results_frame_);
  results_toolbar_ =
      ResultsToolbar(results_frame_, true, "Close Application",
                     [this](const std::string& key) {
                       wizard_.OnToolbar(key, app_.models.results_grid);
                     });
  results_totals_ = MakeTotalsLabel(app_.models.results_grid, results_frame_);

  chart_frame_ = Register(
      Control::kCompressionDetailsFrame,
      Frame("", "Compression Details", page, 2040, 3540, 5535, 3375,
            "InfoCompDetails", "TarvexComp-CompressionDetails.hlp"));
  chart_caption_ = Label("TableNameGraph", QString(), chart_frame_, 360, 240,
                         4815, 255, true);
  chart_ = new BarChart(app_.models.chart, chart_frame_);

  details_frame_ = Register(
      Control::kDetailsFrame,
      Frame("", "Table Details", page, 7680, 3540, 4440, 3375,
            "InfoTableDetails", "TarvexComp-TableDetails.hlp"));
  auto* details_model = new DetailsTableModel(app_.models.details, this);
  table_info_ =
      new GridView(details_model, LeastWidths(DetailsColumns()),
                   GrowingColumns(DetailsColumns()),
                   details_frame_);
  AddWhyButton(details_model);
  details_model->on_reset = [this] { table_info_->AfterReset(); };
  Register(Control::kTableInfo, table_info_);
  desktop_.SetSaveDialog(SaveDialog::kMain, SaveFileDialog(page));
  LayOutResultsPage(0, 0);
  return page;
}

void MainWindow::AddWhyButton(DetailsTableModel* details_model) {
  // "Why?" opens how the shown table's estimate is made; so does Enter on
  // the column grid. An open view follows the table shown. Its text comes
  // with the screen texts.
  why_button_ = new QToolButton(details_frame_);
  why_button_->setObjectName(QStringLiteral("WhyButton"));
  why_button_->setAutoRaise(true);
  why_button_->setFocusPolicy(Qt::TabFocus);
  why_button_->setEnabled(false);
  connect(why_button_, &QToolButton::clicked, this, [this] { ShowWhy(); });
  table_info_->on_enter = [this](int, int) { ShowWhy(); };
  app_.models.details.on_change = [this, details_model] {
    details_model->Refresh();
    // Details are cleared before a table's are shown: an open view hides
    // meanwhile and comes back with the next table.
    const bool has_why = !app_.models.details.why().empty();
    why_button_->setEnabled(has_why);
    if (has_why) {
      if (why_->isVisible() || why_follows_) ShowWhy();
      why_follows_ = false;
    } else if (why_->isVisible()) {
      why_follows_ = true;
      why_->hide();
    }
  };
}

void MainWindow::LayOutResultsPage(int dx, int dy) {
  // The designed geometry (twips) plus the window's extra room: before
  // "magnify" the list takes half the extra height, the chart and the
  // details the other half; after it they take it all. Extra width goes to
  // the list, and half each to the chart and the details.
  const int top_share = magnified_ ? 0 : dy / 2;
  const int bottom_share = dy - top_share;
  const int left_share = dx / 2;
  const int right_share = dx - left_share;
  if (!magnified_) {
    results_frame_->setGeometry(Px(2040), Px(420), Px(10080) + dx,
                                Px(3015) + top_share);
    const int bar_top = InsideTop(results_frame_);
    // As wide as its buttons need: none hides behind an extension arrow.
    results_toolbar_->setGeometry(
        Px(120), bar_top,
        std::max(Px(2055), results_toolbar_->sizeHint().width()), Px(390));
    const int grid_top = bar_top + Px(390) + 2;
    const int totals_height = results_frame_->fontMetrics().height() + 2;
    const int grid_bottom = results_frame_->height() - Px(120) - totals_height;
    results_grid_->setGeometry(Px(120), grid_top, Px(9855) + dx,
                               grid_bottom - grid_top);
    results_totals_->setGeometry(Px(120), grid_bottom + 1, Px(9855) + dx,
                                 totals_height);
    PlaceInfoLabel(results_frame_);
    chart_frame_->setGeometry(Px(2040), Px(3540) + top_share,
                              Px(5535) + left_share, Px(3375) + bottom_share);
    chart_->setGeometry(Px(120), Px(600), Px(5295) + left_share,
                        Px(2655) + bottom_share);
    details_frame_->setGeometry(Px(7680) + left_share, Px(3540) + top_share,
                                Px(4440) + right_share,
                                Px(3375) + bottom_share);
    table_info_->setGeometry(Px(120), Px(360), Px(4215) + right_share,
                             Px(2895) + bottom_share);
  } else {
    chart_frame_->setGeometry(Px(2040), Px(480), Px(5535) + left_share,
                              Px(6500) + dy);
    chart_->setGeometry(Px(120), Px(600), Px(5295) + left_share, Px(5670) + dy);
    details_frame_->setGeometry(Px(7680) + left_share, Px(480),
                                Px(4440) + right_share, Px(6500) + dy);
    table_info_->setGeometry(Px(120), Px(360), Px(4215) + right_share,
                             Px(6150) + dy);
  }
  // The caption may take two lines (a summary says when page sizes differ);
  // the chart starts below it.
  const int caption_height = 2 * chart_caption_->fontMetrics().height();
  chart_caption_->setGeometry(Px(360), Px(240), chart_frame_->width() - Px(720),
                              caption_height);
  const QRect designed_chart = chart_->geometry();
  const int chart_top =
      std::max(designed_chart.top(), chart_caption_->geometry().bottom() + 2);
  chart_->setGeometry(designed_chart.left(), chart_top, designed_chart.width(),
                      designed_chart.bottom() + 1 - chart_top);
  PlaceInfoLabel(chart_frame_);
  PlaceInfoLabel(details_frame_);
  PlaceWhyButton();
}

void MainWindow::PlaceWhyButton() {
  // In the title row, left of the information label.
  const QSize why_size = why_button_->sizeHint();
  why_button_->setGeometry(
      details_frame_->width() - Px(380) - why_size.width() - 4, 0,
      why_size.width(), std::min(why_size.height(), Px(360)));
}

void MainWindow::ShowWhy() {
  const DetailsModel& details = app_.models.details;
  if (details.why().empty()) return;
  why_->SetCaption(details.why_caption());
  why_->SetText(details.why());
  why_->PlaceBeside(this);
  why_->Show();
}

GridView* MainWindow::MakeResultsView(ResultsGrid& grid, QWidget* parent) {
  auto* model = new ResultsTableModel(grid, app_.messages, parent);
  model->more_tip = [this](const TableRecord& t) { return HistoryTip(t); };
  auto* view = new GridView(
      model, LeastWidths(ResultsColumns()), GrowingColumns(ResultsColumns()),
      parent);
  view->setObjectName(QStringLiteral("TableDetails"));
  view->horizontalHeader()->setSortIndicatorShown(false);
  model->on_reset = [view, &grid] {
    view->AfterReset();
    ShowSortOf(view, grid);
    view->setVisible(grid.visible());
  };
  view->on_cell_clicked = [this, &grid](int row, int col) {
    wizard_.OnGridMouseUp(grid, row, col, row);
    wizard_.OnGridClick(grid, row, col);
  };
  view->on_other_button_released = [this, &grid](int row, int col) {
    wizard_.OnGridMouseUp(grid, row, col, row);
  };
  view->on_header_clicked = [this, view, &grid](int col) {
    wizard_.OnGridMouseUp(grid, grid.RowCount() > 0 ? 1 : 0, col, 0);
    // The header moved its arrow to the clicked column; marking all keeps
    // the order, so the arrow goes back.
    ShowSortOf(view, grid);
  };
  // Space marks the current row, as a click on its mark does; Enter shows
  // its details, as a click on any other cell does.
  view->on_space = [this, &grid](int row, int) {
    wizard_.OnGridMouseUp(grid, row, 0, row);
  };
  view->on_enter = [this, &grid](int row, int col) {
    wizard_.OnGridClick(grid, row, std::max(col, 1));
  };
  return view;
}

QLabel* MainWindow::MakeTotalsLabel(ResultsGrid& grid, QWidget* parent) {
  auto* label = new TotalsLabel(grid, parent);
  label->setObjectName(QStringLiteral("ResultsTotals"));
  return label;
}

void MainWindow::ShowLargeResults() {
  magnified_ = true;
  // The list moves as the user left it: its order and its marks.
  app_.models.large_grid.TakeViewOf(app_.models.results_grid);
  results_frame_->hide();
  LayOutResultsPage(width() - designed_size_.width(),
                    height() - designed_size_.height());
  FocusResults();
}

void MainWindow::RestoreResults() {
  if (!magnified_ || ended_) return;
  magnified_ = false;
  app_.window_state.LargeResultsShown = false;
  app_.models.results_grid.TakeViewOf(app_.models.large_grid);
  results_frame_->show();
  LayOutResultsPage(width() - designed_size_.width(),
                    height() - designed_size_.height());
  activateWindow();
  if (tabs_->currentIndex() == kResultsTab) results_grid_->setFocus();
}

void MainWindow::FocusResults() {
  if (!app_.window_state.LargeResultsShown) {
    results_grid_->setFocus();
    return;
  }
  LargeResultsWindow* large = schema_list_.get();
  if (!large->isVisible()) PlaceBeside(large, this);
  large->show();
  KeepOnScreen(large);  // the frame is known now
  large->raise();
  large->activateWindow();
  large->grid_view().setFocus();
}

void MainWindow::RefreshChart() {
  chart_caption_->setText(FromBytes(app_.models.chart.caption));
  chart_->Refresh();
  chart_caption_->update();
}

}  // namespace tce::ui
