#include "wizard/wizard.h"

#include <functional>

#include "analysis/analysis.h"
#include "base/help_topics.h"
#include "base/text_util.h"

namespace tce {
namespace {

// Clears a flag when the scope ends.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }

 private:
  bool& flag_;
};

// The run's progress in the windows: the values are kept as the run gives
// them, and pushed to the progress model (which repaints) and window events
// given a turn only when `interval` has passed, and once more at the start.
class WindowProgress : public RunProgress {
 public:
  WindowProgress(AppState& app, std::chrono::milliseconds interval,
                 std::function<void()> started)
      : app_(app), interval_(interval), started_(std::move(started)) {}

  void Started() override { started_(); }

  void Update(int tick, int tables_listed) override {
    tick_ = tick;
    listed_ = tables_listed;
    dirty_ = true;
  }
  bool StopRequested() override {
    // The clock is read every few rows only; rows come in microseconds.
    if (interval_.count() == 0 || ++calls_ % 32 == 0 || first_) {
      const auto now = std::chrono::steady_clock::now();
      if (first_ || std::chrono::duration_cast<std::chrono::milliseconds>(
                        now - last_) >= interval_) {
        first_ = false;
        last_ = now;
        Push();
        app_.desktop.ProcessPendingEvents();
      }
    }
    return app_.run_state.stop_requested;
  }
  void Push() {
    if (!dirty_) return;
    dirty_ = false;
    app_.models.progress.Set(tick_, "Records: " + std::to_string(listed_));
  }

 private:
  AppState& app_;
  std::chrono::milliseconds interval_;
  std::chrono::steady_clock::time_point last_;
  unsigned calls_ = 0;
  bool first_ = true;
  bool dirty_ = false;
  int tick_ = 0;
  int listed_ = 0;
  std::function<void()> started_;
};

}  // namespace

void Wizard::DisclaimerState() {
  view_.SetTabEnabled(kConnectionTab, false);
  view_.SetTabEnabled(kOptionsTab, false);
  view_.SetTabEnabled(kResultsTab, false);
  view_.SetTabEnabled(kDisclaimerTab, true);
  view_.SelectTab(kDisclaimerTab);
}

void Wizard::StartUp() {
  app_.LoadConfiguration();
  app_.LoadMessages();
  view_.ApplyScreenTexts(app_.messages);
  OnLoad();
  app_.BuildStatistics();
  view_.SetDisclaimer(DisclaimerText());
  ResetToStartupValues(app_.settings);
  app_.run_state = RunState{};
  app_.window_state = WindowState{};
  view_.SetTabStop(Control::kDelimTab, false);
  view_.SetTabStop(Control::kOptRowSize, false);
  view_.ShowWindow();
}

void Wizard::OnLoad() {
  DisclaimerState();
  LogPanel("Showing startup screen");
}

void Wizard::DoContinue(int index) {
  if (busy_) return;  // Continue is disabled while a step runs
  {
    FlagScope busy(busy_);
    Continue(index);
  }
  if (exit_requested_) ExitAll();
}

void Wizard::Continue(int index) {
  LogPanel("Continue button pressed");
  switch (index) {
    case kDisclaimerTab:
      view_.SetTabEnabled(kDisclaimerTab, false);
      view_.SetTabEnabled(kConnectionTab, true);
      view_.SelectTab(kConnectionTab);
      view_.SetFocusTo(Control::kInputDatabase);
      LogPanel("Showing connection panel");
      break;
    case kConnectionTab:
      ConnectStep();
      break;
    case kOptionsTab:
      AnalysisStepOfContinue();
      break;
    default:
      break;
  }
}

void Wizard::ConnectStep() {
  LogPanel("Connect button pressed");
  const std::string database(TrimBlanks(view_.Text(Control::kInputDatabase)));
  const std::string user(TrimBlanks(view_.Text(Control::kInputUserid)));
  const std::string password(TrimBlanks(view_.Text(Control::kInputPassword)));
  app_.desktop.SetWaitCursor(true);
  const Status status = app_.connection.Connect(
      database, user, password, app_.desktop.DialogOwnerWindow());
  app_.desktop.SetWaitCursor(false);
  if (!status.ok()) {
    ShowStatus(app_.reporter, status);
    app_.reporter.ShowMessage("Connection failed.");
    return;
  }
  view_.SetTabEnabled(kConnectionTab, false);
  view_.SetTabEnabled(kOptionsTab, true);
  view_.SetTabEnabled(kResultsTab, true);
  view_.SelectTab(kOptionsTab);
  view_.SetFocusTo(Control::kTabs);
}

void Wizard::AnalysisStepOfContinue() {
  const RunSettings& s = app_.settings;
  if (app_.reporter.debug()) {
    app_.reporter.WriteLog(
        "SETTINGS",
        std::string("STATS=") +
            (s.IgnoreTablesWithoutStats ? "TRUE " : "FALSE ") +
            "CARDINALITY=" + (s.UseMaxCardinality ? "MAX " : "SINGLE ") +
            "COMPRESSION=" + (s.EstimatePageCompression ? "PAGE" : "ROW "));
  }
  switch (RunEstimate()) {
    case AnalysisStep::kShown:
    case AnalysisStep::kIncomplete:  // what was read, said to be incomplete
      LogPanel("Displaying Results");
      view_.SetTabEnabled(kResultsTab, true);
      view_.SelectTab(kResultsTab);
      break;
    case AnalysisStep::kNothingListed:  // the failure, if any, was shown
      app_.reporter.ShowMessage(app_.messages[Msg::kNothingFound]);
      break;
    case AnalysisStep::kStopped:  // the program is ending
      break;
  }
}

void Wizard::Publish(std::shared_ptr<const RunRecord> results) {
  // Nothing on the results tab may show a table of an earlier run.
  app_.models.details.Clear();
  app_.models.chart.visible = false;
  app_.models.chart.caption.clear();
  app_.models.chart.Changed();
  app_.models.results_grid.Show(results);
  app_.models.large_grid.Show(std::move(results));
}

Wizard::AnalysisStep Wizard::RunEstimate() {
  if (!app_.run_state.SettingsChanged) return AnalysisStep::kShown;
  app_.run_state.stop_requested = false;
  view_.SetRunControlsEnabled(false);
  app_.desktop.SetWaitCursor(true);
  // While the run works its grids are hidden: the run owns the results.
  ResultsGrid& shown = app_.window_state.LargeResultsShown
                           ? app_.models.large_grid
                           : app_.models.results_grid;
  shown.SetVisible(false);

  // Once the query runs, the grids let go of the last run's tables (they
  // are hidden meanwhile), so that two results are never held at once.
  WindowProgress progress(app_, progress_interval_,
                          [this] { Publish(std::make_shared<RunRecord>()); });
  const RunResult result = tce::RunAnalysis(
      {app_.connection, app_.settings, app_.statistics, app_.reporter},
      &progress, nullptr);
  progress.Push();
  AnalysisStep step = AnalysisStep::kShown;
  std::string progress_text;
  switch (result.outcome) {
    case RunOutcome::kListed:
      view_.RunCompleted(result.record);
      Publish(result.record);
      app_.run_state.SettingsChanged = false;
      break;
    case RunOutcome::kNothingListed:
      view_.RunCompleted(result.record);
      Publish(result.record);
      step = AnalysisStep::kNothingListed;
      break;
    case RunOutcome::kFailed:
      // The tables completed before a failure part-way are shown, said to
      // be incomplete, and the run is to be repeated; a failure before any
      // table was listed lists nothing.
      if (!result.record->listed.empty()) {
        Publish(result.record);
        progress_text =
            "Run incomplete: " + std::to_string(result.record->listed.size()) +
            " tables listed before the error.";
        step = AnalysisStep::kIncomplete;
      } else {
        step = AnalysisStep::kNothingListed;
      }
      break;
    case RunOutcome::kStopped:
      step = AnalysisStep::kStopped;
      break;
  }
  shown.SetVisible(true);
  app_.models.progress.Set(0, progress_text);
  app_.desktop.SetWaitCursor(false);
  if (result.outcome == RunOutcome::kFailed)
    ShowStatus(app_.reporter, result.status);
  view_.SetRunControlsEnabled(true);
  return step;
}

void Wizard::ExitAll() {
  if (busy_) {
    // The run still uses the connection: stop it, and exit when it returns.
    exit_requested_ = true;
    app_.run_state.stop_requested = true;
    return;
  }
  app_.connection.Disconnect();
  view_.EndProgram();
}

void Wizard::OnTabClick(int tab) {
  if (tab != kOptionsTab) return;
  view_.SetTabStop(Control::kInputDatabase, false);
  view_.SetTabStop(Control::kInputUserid, false);
  view_.SetTabStop(Control::kInputPassword, false);
  view_.SetTabStop(Control::kSchemaSelect, true);
  view_.SetTabStop(Control::kTableSelect, true);
  view_.SetTabEnabled(kResultsTab, false);
}

void Wizard::OnCompRangeChange(int value) {
  view_.SetCaption(Control::kCompValue, std::to_string(value));
  if (value != app_.settings.MinCompressionPct) {
    app_.settings.MinCompressionPct = static_cast<int16_t>(value);
    app_.run_state.SettingsChanged = true;
  }
}

void Wizard::OnMinTabSizeChange(int value) {
  view_.SetCaption(Control::kMinTabSizeText, std::to_string(value) + " M");
  if (value != app_.settings.MinTableSizeMB) {
    app_.settings.MinTableSizeMB = value;
    app_.run_state.SettingsChanged = true;
  }
}

void Wizard::OnOptionClick(Control button, bool selected) {
  RunSettings& s = app_.settings;
  // Each button sets its field to `value` when it is selected and the field
  // holds the other value; the delimiter does not make the run repeat.
  struct Option {
    Control button;
    bool RunSettings::*field;
    bool value;
    bool run_relevant;
  };
  static const Option kOptions[] = {
      {Control::kStatsIgnore, &RunSettings::IgnoreTablesWithoutStats, true, true},
      {Control::kStatsAll, &RunSettings::IgnoreTablesWithoutStats, false, true},
      {Control::kMaxCard, &RunSettings::UseMaxCardinality, true, true},
      {Control::kColumnCard, &RunSettings::UseMaxCardinality, false, true},
      {Control::kPCTPage, &RunSettings::EstimatePageCompression, true, true},
      {Control::kPCTRow, &RunSettings::EstimatePageCompression, false, true},
      {Control::kOptPageSize, &RunSettings::ShowPageSavings, true, true},
      {Control::kOptRowSize, &RunSettings::ShowPageSavings, false, true},
      {Control::kDelimTab, &RunSettings::TabDelimited, true, false},
      {Control::kDelimComma, &RunSettings::TabDelimited, false, false},
  };
  for (const Option& option : kOptions) {
    if (button != option.button) continue;
    if (selected && s.*option.field != option.value) {
      s.*option.field = option.value;
      if (option.run_relevant) app_.run_state.SettingsChanged = true;
    }
    view_.SetTabStop(button, false);
    return;
  }
}

void Wizard::OnSchemaSelectChange(const std::string& text) {
  if (text == app_.settings.OwnerFilter) return;
  app_.settings.OwnerFilter = JoinFilterLines(text);
  app_.run_state.SettingsChanged = true;
}

void Wizard::OnTableSelectChange(const std::string& text) {
  if (text == app_.settings.TableFilter) return;
  app_.settings.TableFilter = JoinFilterLines(text);
  app_.run_state.SettingsChanged = true;
}

void Wizard::OnShowDebugClick(bool ticked) { app_.settings.DebugLog = ticked; }

void Wizard::OnShowSqlClick(bool ticked) { app_.settings.LogSQL = ticked; }

void Wizard::OnResults(const std::function<void()>& action) {
  if (busy_) return;
  action();
}

void Wizard::OnToolbar(const std::string& key, ResultsGrid& grid) {
  const tce::ToolbarAction action = ToolbarActionOf(key);
  if (action == ToolbarAction::kExit) {
    ExitAll();
    return;
  }
  OnResults([&] { RunToolbarAction(action, grid); });
}

void Wizard::RunToolbarAction(tce::ToolbarAction action, ResultsGrid& grid) {
  const bool main_window = &grid == &app_.models.results_grid;
  const ResultsContext context = app_.results_context();
  const ExportFormat format = DelimitedFormat(app_.settings.TabDelimited);
  switch (action) {
    case ToolbarAction::kGraph:
      ShowSummaryChart(context, grid);
      break;
    case ToolbarAction::kClear:
      grid.ClearMarks();
      break;
    case ToolbarAction::kOutput:
      if (main_window) {
        ExportResults(
            context, grid, SaveDialog::kMain,
            std::string(TrimBlanks(app_.connection.DatabaseName)) + ".out",
            format);
      } else {
        ExportResults(context, grid, SaveDialog::kLargeResults, std::nullopt,
                      format);
      }
      break;
    case ToolbarAction::kMagnify:
      if (!main_window) break;
      app_.window_state.LargeResultsShown = true;
      view_.ShowLargeResults();
      break;
    case ToolbarAction::kPlan:
      view_.ShowPlan(grid.shared_record());
      break;
    case ToolbarAction::kReport:
      SaveReport(app_.results_context(), grid);
      break;
    case ToolbarAction::kHistory:
      view_.ShowHistory(grid.shared_record());
      break;
    case ToolbarAction::kExit:
    case ToolbarAction::kNone:
      break;
  }
}

void Wizard::OnGridClick(ResultsGrid& grid, int row, int col) {
  OnResults(
      [&] { ShowTableDetails(app_.results_context(), grid, row, col); });
}

void Wizard::OnGridMouseUp(ResultsGrid& grid, int row, int col, int mouse_row) {
  OnResults([&] { tce::OnGridMouseUp(grid, row, col, mouse_row); });
}

}  // namespace tce
