#include "ui/large_results_window.h"

#include <algorithm>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QToolBar>

#include "ui/grid_view.h"
#include "ui/main_window.h"
#include "ui/qt_desktop_port.h"
#include "ui/ui_helpers.h"
#include "ui/widgets.h"

namespace tce::ui {

LargeResultsWindow::LargeResultsWindow(AppState& app, MainWindow& main_window)
    : app_(app), main_window_(main_window) {
  setObjectName(QStringLiteral("SchemaList"));
  setWindowTitle(QStringLiteral("Schemas"));
  // The list comes first when tabbing, then its toolbar.
  grid_ = main_window.MakeResultsView(app_.models.large_grid, this);
  Place(grid_, 60, 480, 9800, 6615);
  QToolBar* bar = ResultsToolbar(this, false, "Exit the application",
                                 [&main_window, this](const std::string& key) {
                                   main_window.wizard().OnToolbar(
                                       key, app_.models.large_grid);
                                 });
  Place(bar, 60, 60, 1695, 390);
  // As wide as its buttons need: none hides behind an extension arrow.
  bar->resize(std::max(bar->width(), bar->sizeHint().width()), bar->height());
  totals_ = main_window.MakeTotalsLabel(app_.models.large_grid, this);
  auto* info = new InfoLabel(QStringLiteral("InfoCompression"), this);
  info->move(Px(9600), 0);
  info->on_click = [&main_window, this] {
    main_window.ShowHelp("TarvexComp-LargeResults.hlp", this);
  };
  main_window.desktop().SetSaveDialog(SaveDialog::kLargeResults,
                                      SaveFileDialog(this));
  resize(Px(10000), Px(7125));
}

void LargeResultsWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && OpenHelpOfFocus(this)) return;
  if (PressFocusedButton(this, event)) return;
  if (event->key() == Qt::Key_Escape) {
    close();  // the list goes back to the main window
    return;
  }
  QWidget::keyPressEvent(event);
}

void LargeResultsWindow::resizeEvent(QResizeEvent* event) {
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
  totals_->setGeometry(Px(60), grid_->geometry().bottom() + 3, Px(9800),
                       fontMetrics().height() + 2);
  resizing_ = false;
}

void LargeResultsWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  // The list goes back to the results panel, where "magnify" can move it
  // here again.
  main_window_.RestoreResults();
}

}  // namespace tce::ui
