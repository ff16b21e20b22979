// MainWindow (the window system knows it as FormCompression): the main
// window with the tab control TBS and its four panels (disclaimer,
// connection, options, results). It is thin: every
// decision is made by the Wizard and the results' actions over the
// AppState's models. The window can be enlarged: the results grid, the
// chart and the per-column grid grow with it; the buttons at the foot keep
// their place at the foot; everything else keeps its designed place.
#ifndef TCE_UI_MAIN_WINDOW_H_
#define TCE_UI_MAIN_WINDOW_H_

#include <QRect>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/controls.h"
#include "wizard/app_state.h"
#include "wizard/wizard.h"

class QTabWidget;
class QLabel;
class QGroupBox;
class QToolBar;
class QToolButton;
class QProgressBar;

namespace tce::ui {

class GridView;
class BarChart;
class DetailsTableModel;
class FocusRing;
class HelpWindowWidget;
class InfoLabel;
class QtDesktopPort;
class LargeResultsWindow;
class PlanWindow;
class HistoryWindow;

class MainWindow : public QWidget, public MainWindowView {
 public:
  MainWindow(AppState& app, QtDesktopPort& desktop);
  ~MainWindow() override;

  Wizard& wizard() { return wizard_; }
  LargeResultsWindow& schema_list() { return *schema_list_; }
  HelpWindowWidget& help_window() { return *help_; }
  // How the estimate of the table in the details is made, figure by figure.
  HelpWindowWidget& why_window() { return *why_; }
  void ShowWhy();
  BarChart& chart() { return *chart_; }
  QtDesktopPort& desktop() { return desktop_; }

  // Tests replace the end of the program (by default the event loop quits).
  std::function<void()> on_end_program;

  // MainWindowView
  void SetTabEnabled(int tab, bool enabled) override;
  void SelectTab(int tab) override;
  void SetFocusTo(Control control) override;
  void SetTabStop(Control control, bool on) override;
  void SetCaption(Control control, const std::string& text) override;
  std::string Text(Control control) override;
  void ApplyScreenTexts(const MessageTable& messages) override;
  void SetDisclaimer(const std::string& text) override;
  void ShowWindow() override;
  void SetRunControlsEnabled(bool enabled) override;
  void ShowLargeResults() override;
  void ShowPlan(std::shared_ptr<const RunRecord> record) override;
  PlanWindow& plan_window();
  // The history (history_window.cc): a completed run is kept, and its
  // rows' tooltips tell their change since the last run.
  void RunCompleted(std::shared_ptr<const RunRecord> record) override;
  void ShowHistory(std::shared_ptr<const RunRecord> record) override;
  HistoryWindow& history_window();
  std::string HistoryTip(const TableRecord& table) const;
  void EndProgram() override;

  // A results grid's view with its handlers, for either window.
  GridView* MakeResultsView(ResultsGrid& grid, QWidget* parent);
  // The totals line under a results grid.
  QLabel* MakeTotalsLabel(ResultsGrid& grid, QWidget* parent);
  // The large-results window was closed: the list and its toolbar come
  // back to the results panel, with the marks and order they had there.
  void RestoreResults();
  // The control ringed as having the focus, or null.
  QWidget* ringed() const;
  // Opens a help topic beside `near` (the window that asked).
  void ShowHelp(const std::string& topic_file, QWidget* near = nullptr);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Enter presses the focused button, else the panel's Continue; F1 opens
  // the help topic of the focused control's group, else the panel's.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // A control that keeps its designed place relative to the window's foot
  // (and, when `right`, to its right edge) as the window grows.
  struct Anchored {
    QWidget* widget;
    QRect designed;  // pixels, at the designed size
    bool right;
  };

  QWidget* BuildDisclaimerPage();
  QWidget* BuildConnectionPage();
  QWidget* BuildOptionsPage();
  // The options panel's groups, inside its options frame.
  QGroupBox* OptionFrame(QGroupBox* options, const char* name,
                         const char* caption, int left, int top, int width,
                         int height, const char* info);
  void AddMinimumSliders(QGroupBox* options);
  void AddChoicePairs(QGroupBox* options);
  void AddDebugChoices(QGroupBox* options);
  void AddFilterBoxes(QGroupBox* options);
  QWidget* BuildResultsPage();
  // The details' "Why?" button, following the details shown.
  void AddWhyButton(DetailsTableModel* details_model);
  void PlaceWhyButton();
  void AddFurniture(QWidget* page, int index, bool with_continue);
  QGroupBox* Frame(const char* name, const char* caption, QWidget* parent,
                   int left, int top, int width, int height,
                   const char* info_name = nullptr,
                   const char* topic = nullptr);
  void AnchorToFoot(QWidget* widget, bool right);
  // Tab goes through each panel's controls in the order they were made (the
  // reading order), then its Continue and Exit; the tab bar comes first.
  void SetTabOrders();
  // Underlines a letter of every labelled control: the tabs' letters are
  // kept apart from every panel's.
  void MarkMnemonics();
  void ShowPanelHelp();
  // The results' list takes the focus, in the large-results window when
  // it is their home.
  void FocusResults();
  // Places the results panel's frames for the window's extra width and
  // height, before or after "magnify".
  void LayOutResultsPage(int extra_width, int extra_height);
  void Continue(int index);
  void RefreshChart();
  void RefreshProgress();
  // Gives a widget the object name of `control` (element `index` of an
  // array) and keeps it for Find.
  template <typename T>
  T* Register(Control control, T* widget, int index = -1) {
    widget->setObjectName(
        QString::fromStdString(ControlObjectName(control, index)));
    controls_[{control, index}] = widget;
    return widget;
  }
  // The registered widget, or null.
  QWidget* Find(Control control, int index = -1) const;
  void SetCaptionOf(QWidget* widget, const std::string& text);

  AppState& app_;
  QtDesktopPort& desktop_;
  Wizard wizard_;
  QTabWidget* tabs_ = nullptr;
  QSize designed_size_;
  std::vector<Anchored> anchored_;
  // The results panel.
  QGroupBox* results_frame_ = nullptr;
  QGroupBox* chart_frame_ = nullptr;
  QGroupBox* details_frame_ = nullptr;
  QToolBar* results_toolbar_ = nullptr;
  GridView* results_grid_ = nullptr;
  QLabel* results_totals_ = nullptr;
  GridView* table_info_ = nullptr;
  QToolButton* why_button_ = nullptr;
  bool why_follows_ = false;  // the why view comes back with the next table
  BarChart* chart_ = nullptr;
  QLabel* chart_caption_ = nullptr;
  bool magnified_ = false;
  // The options panel's progress.
  QProgressBar* progress_bar_ = nullptr;
  QLabel* progress_text_ = nullptr;
  std::unique_ptr<HelpWindowWidget> help_;
  std::unique_ptr<HelpWindowWidget> why_;
  std::unique_ptr<LargeResultsWindow> schema_list_;
  std::unique_ptr<PlanWindow> plan_;
  std::unique_ptr<HistoryWindow> history_;
  std::map<std::pair<Control, int>, QWidget*> controls_;
  std::unique_ptr<FocusRing> focus_ring_;
  bool ended_ = false;
};

}  // namespace tce::ui

#endif  // TCE_UI_MAIN_WINDOW_H_
