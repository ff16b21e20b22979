// The wizard of the main window: start-up, the four panels' Continue and
// Exit buttons, the tab control, the options panel's handlers and the
// results' events. It talks to the window only through MainWindowView and
// the models of AppState, so it runs without Qt.
#ifndef TCE_WIZARD_WIZARD_H_
#define TCE_WIZARD_WIZARD_H_

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/controls.h"
#include "wizard/app_state.h"

namespace tce {

enum Tab {
  kDisclaimerTab = 0,
  kConnectionTab = 1,
  kOptionsTab = 2,
  kResultsTab = 3
};

// What the wizard needs from the main window.
class MainWindowView {
 public:
  virtual ~MainWindowView() = default;
  virtual void SetTabEnabled(int tab, bool enabled) = 0;
  // Selects a tab; the view then calls Wizard::OnTabClick.
  virtual void SelectTab(int tab) = 0;
  virtual void SetFocusTo(Control control) = 0;
  virtual void SetTabStop(Control control, bool on) = 0;
  virtual void SetCaption(Control control, const std::string& text) = 0;
  // The text of a text box, lines ended by CR LF.
  virtual std::string Text(Control control) = 0;
  // Puts the message table's screen texts on the controls.
  virtual void ApplyScreenTexts(const MessageTable& messages) = 0;
  virtual void SetDisclaimer(const std::string& text) = 0;
  virtual void ShowWindow() = 0;
  // Whether the controls that start or change a run can be used.
  virtual void SetRunControlsEnabled(bool enabled) = 0;
  // Gives the results' room to the chart and the details and shows the
  // large-results window.
  virtual void ShowLargeResults() = 0;
  // Shows the plan window for a result.
  virtual void ShowPlan(std::shared_ptr<const RunRecord> record) = 0;
  // A run read the catalog to its end (the history keeps it, when one is
  // named), and the History window for a result.
  virtual void RunCompleted(std::shared_ptr<const RunRecord>) {}
  virtual void ShowHistory(std::shared_ptr<const RunRecord>) {}
  // Ends the program (after the connection was released).
  virtual void EndProgram() = 0;
};


class Wizard {
 public:
  Wizard(AppState& app, MainWindowView& view) : app_(app), view_(view) {}

  // The start-up sequence up to showing the main window.
  void StartUp();
  // The main window's Load event.
  void OnLoad();

  void DoContinue(int index);
  // Disconnects and ends the program; during a run, once the run has
  // stopped.
  void ExitAll();
  void OnUnload() { ExitAll(); }
  // A tab was selected, by the user or by the program.
  void OnTabClick(int tab);

  // Options panel handlers.
  void OnCompRangeChange(int value);
  void OnMinTabSizeChange(int value);
  // An option button was clicked; `selected` is its state afterwards.
  void OnOptionClick(Control button, bool selected);
  void OnSchemaSelectChange(const std::string& text);
  void OnTableSelectChange(const std::string& text);
  void OnShowDebugClick(bool ticked);
  void OnShowSqlClick(bool ticked);

  // The results' events, on the main window's grid or the large one's.
  // While Continue works (a run yields to window events) they are refused,
  // all at the one gate of OnResults: the run owns the results. Exit is
  // never refused.
  void OnToolbar(const std::string& key, ResultsGrid& grid);
  void OnGridClick(ResultsGrid& grid, int row, int col);
  void OnGridMouseUp(ResultsGrid& grid, int row, int col, int mouse_row);

  // True while Continue is working (the analysis run yields to events).
  bool busy() const { return busy_; }
  // How often a run repaints its progress and lets window events run.
  void set_progress_interval(std::chrono::milliseconds interval) {
    progress_interval_ = interval;
  }

 private:
  // The outcome of Continue on the options panel.
  enum class AnalysisStep { kShown, kIncomplete, kNothingListed, kStopped };

  void Continue(int index);
  void ConnectStep();
  void AnalysisStepOfContinue();
  AnalysisStep RunEstimate();
  // Runs `action` on the results unless Continue is working.
  void OnResults(const std::function<void()>& action);
  void RunToolbarAction(tce::ToolbarAction action, ResultsGrid& grid);
  void Publish(std::shared_ptr<const RunRecord> results);
  void DisclaimerState();
  void LogPanel(std::string_view text) { app_.reporter.Log("Panel", text); }

  AppState& app_;
  MainWindowView& view_;
  bool busy_ = false;
  bool exit_requested_ = false;
  std::chrono::milliseconds progress_interval_{100};
};

}  // namespace tce

#endif  // TCE_WIZARD_WIZARD_H_
