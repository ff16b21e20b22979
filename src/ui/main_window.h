// FormCompression: the main window with the tab control TBS and its four
// panels (disclaimer, connection, options, results), and SchemaList, the
// large-results window. Both are thin: every decision is made by the
// Wizard and the results' actions over the AppState's models.
#ifndef TCE_UI_MAIN_WINDOW_H_
#define TCE_UI_MAIN_WINDOW_H_

#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "wizard/app_state.h"
#include "wizard/wizard.h"

class QTabWidget;
class QLabel;
class QGroupBox;
class QToolBar;
class QProgressBar;

namespace tce::ui {

class GridView;
class BarChart;
class HelpWindowWidget;
class QtDesktopPort;

class SchemaListWindow;

class FormCompression : public QWidget, public MainWindowView {
 public:
  FormCompression(AppState& app, QtDesktopPort& desktop);
  ~FormCompression() override;

  Wizard& wizard() { return wizard_; }
  SchemaListWindow& schema_list() { return *schema_list_; }
  HelpWindowWidget& help_window() { return *help_; }
  BarChart& chart() { return *chart_; }
  QtDesktopPort& desktop() { return desktop_; }

  // Tests replace the end of the program (by default the event loop quits).
  std::function<void()> on_end_program;

  // MainWindowView
  void SetTabEnabled(int tab, bool enabled) override;
  void SelectTab(int tab) override;
  void SetFocusTo(const std::string& control) override;
  void SetTabStop(const std::string& control, bool on) override;
  void SetCaption(const std::string& control, const std::string& text) override;
  std::string Text(const std::string& control) override;
  void ApplyScreenTexts(const MessageTable& messages) override;
  void SetDisclaimer(const std::string& text) override;
  void ShowWindow() override;
  void SetRunControlsEnabled(bool enabled) override;
  void ShowLargeResults() override;
  void EndProgram() override;

  // A results grid's view with its handlers, for either window.
  GridView* MakeResultsView(ResultsGrid& grid, QWidget* parent);
  void ShowHelp(const std::string& topic_file);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* BuildDisclaimerPage();
  QWidget* BuildConnectionPage();
  QWidget* BuildOptionsPage();
  QWidget* BuildResultsPage();
  void AddFurniture(QWidget* page, int index, bool with_continue);
  QGroupBox* Frame(const char* name, const char* caption, QWidget* parent,
                   int left, int top, int width, int height,
                   const char* info_name = nullptr,
                   const char* topic = nullptr);
  void Continue(int index);
  void RefreshChart();
  void RefreshProgress();
  QWidget* Find(const std::string& name) const;

  AppState& app_;
  QtDesktopPort& desktop_;
  Wizard wizard_;
  QTabWidget* tabs_ = nullptr;
  GridView* results_grid_ = nullptr;
  GridView* table_info_ = nullptr;
  BarChart* chart_ = nullptr;
  QLabel* chart_caption_ = nullptr;
  QProgressBar* progress_bar_ = nullptr;
  QLabel* progress_text_ = nullptr;
  std::unique_ptr<HelpWindowWidget> help_;
  std::unique_ptr<SchemaListWindow> schema_list_;
  bool ended_ = false;
};

// SchemaList: the large-results window with its own grid and toolbar.
class SchemaListWindow : public QWidget {
 public:
  SchemaListWindow(AppState& app, FormCompression& main_window);
  GridView& grid_view() { return *grid_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  AppState& app_;
  GridView* grid_;
  bool resizing_ = false;
};

}  // namespace tce::ui

#endif  // TCE_UI_MAIN_WINDOW_H_
