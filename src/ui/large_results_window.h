// SchemaList: the large-results window, with its own grid and toolbar; its
// clicks draw on the main window's chart and details.
#ifndef TCE_UI_LARGE_RESULTS_WINDOW_H_
#define TCE_UI_LARGE_RESULTS_WINDOW_H_

#include <QWidget>

#include "wizard/app_state.h"

namespace tce::ui {

class MainWindow;
class GridView;

}  // namespace tce::ui

class QLabel;

namespace tce::ui {

// SchemaList: the large-results window with its own grid and toolbar.
class LargeResultsWindow : public QWidget {
 public:
  LargeResultsWindow(AppState& app, MainWindow& main_window);
  GridView& grid_view() { return *grid_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // F1 opens the help topic of the focused control's group; Escape closes
  // the window; Enter presses the focused button.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  AppState& app_;
  MainWindow& main_window_;
  GridView* grid_;
  QLabel* totals_ = nullptr;
  bool resizing_ = false;
};

}  // namespace tce::ui

#endif  // TCE_UI_LARGE_RESULTS_WINDOW_H_
