#include "app/batch.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "analysis/analysis.h"
#include "app/batch_options.h"
#include "app/batch_output.h"
#include "app/password.h"
#include "actions/plan.h"
#include "actions/results_output.h"
#include "base/text_util.h"
#include "actions/results_actions.h"
#include "wizard/app_state.h"

namespace tce {
namespace {

// Messages go to standard error; nothing here is ever asked of a user.
class ConsoleDesktop : public DesktopPort {
 public:
  void ShowMessageBox(const std::string& title,
                      const std::string& text) override {
    EndProgressLine();
    if (title == "SQL Error") {
      std::fprintf(stderr, "SQL Error: %s\n", text.c_str());
    } else {
      std::fprintf(stderr, "%s\n", text.c_str());
    }
  }
  std::optional<std::string> AskSaveFileName(SaveDialog,
                                             const std::optional<std::string>&,
                                             ExportFormat) override {
    return std::nullopt;
  }
  void SetWaitCursor(bool) override {}
  void ProcessPendingEvents() override {}
  void* DialogOwnerWindow() override { return nullptr; }

  void ShowProgressLine(const std::string& text) {
    std::fprintf(stderr, "\r%s", text.c_str());
    std::fflush(stderr);
    progress_shown_ = true;
  }
  void EndProgressLine() {
    if (!progress_shown_) return;
    std::fprintf(stderr, "\r%-30s\r", "");
    progress_shown_ = false;
  }

 private:
  bool progress_shown_ = false;
};

// The "Records: " line on a terminal, rewritten by elapsed time.
class ConsoleProgress : public RunProgress {
 public:
  explicit ConsoleProgress(ConsoleDesktop& desktop)
      : desktop_(desktop), terminal_(isatty(STDERR_FILENO) != 0) {}

  void Update(int, int tables_listed) override { listed_ = tables_listed; }
  bool StopRequested() override {
    if (!terminal_ || ++calls_ % 64 != 0) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ >= std::chrono::milliseconds(100) && listed_ != shown_) {
      last_ = now;
      shown_ = listed_;
      desktop_.ShowProgressLine("Records: " + std::to_string(listed_));
    }
    return false;
  }

 private:
  ConsoleDesktop& desktop_;
  const bool terminal_;
  unsigned calls_ = 0;
  int listed_ = 0;
  int shown_ = -1;
  std::chrono::steady_clock::time_point last_;
};

void ApplyOptions(const BatchOptions& options, RunSettings& settings) {
  settings.MinCompressionPct = static_cast<int16_t>(options.min_compression);
  settings.MinTableSizeMB = options.min_size;
  settings.IgnoreTablesWithoutStats = options.ignore_no_stats;
  settings.UseMaxCardinality = !options.column_cardinality;
  settings.EstimatePageCompression = !options.row;
  settings.ShowPageSavings = !options.bytes;
  settings.TabDelimited = !options.comma;
  settings.OwnerFilter = FilterList(options.owners);
  settings.TableFilter = FilterList(options.tables);
}

// Says why a run listed nothing to write; the exit status.
int ReportUnlisted(const RunResult& result, const BatchOutput& output,
                   const AppState& app) {
  if (result.outcome != RunOutcome::kFailed) {
    std::fprintf(stderr, "%s\n", app.messages[Msg::kNothingFound].c_str());
    return kBatchNothingListed;
  }
  if (output.write_failed()) {
    std::fprintf(stderr, "tarvex-compest-batch: %s\n",
                 result.status.ToString().c_str());
    return kBatchOutputFailed;
  }
  ShowStatus(app.reporter, result.status);
  std::fprintf(stderr,
               "tarvex-compest-batch: the estimate did not complete; "
               "nothing was written.\n");
  return kBatchQueryFailed;
}

}  // namespace

int RunBatch(int argc, char** argv) {
  const std::optional<BatchOptions> options = ParseBatchArguments(argc, argv);
  if (!options) return kBatchUsage;
  if (options->exit_now) return 0;

  ConsoleDesktop desktop;
  AppState app(desktop);
  app.LoadConfiguration();
  app.LoadMessages();
  app.BuildStatistics();
  ResetToStartupValues(app.settings);
  ApplyOptions(*options, app.settings);

  std::string password;
  if (!ReadPassword(options->password_file, password)) {
    return kBatchConnectionFailed;
  }
  Status status = app.connection.Connect(options->database, options->user,
                                         password, nullptr);
  if (!status.ok()) {
    ShowStatus(app.reporter, status);
    std::fprintf(stderr, "Connection failed.\n");
    return kBatchConnectionFailed;
  }

  BatchOutput output(*options, app);
  status = output.Open();
  if (!status.ok()) {
    std::fprintf(stderr, "tarvex-compest-batch: %s\n",
                 status.ToString().c_str());
    return kBatchOutputFailed;
  }
  ConsoleProgress progress(desktop);
  const RunResult result =
      RunAnalysis({app.connection, app.settings, app.statistics, app.reporter},
                  &progress, &output);
  desktop.EndProgressLine();
  app.connection.Disconnect();
  // The plan covers every table read, whatever the minimum saving.
  const bool nothing = options->plan ? result.record->tables.empty()
                                     : result.outcome != RunOutcome::kListed;
  if (result.outcome == RunOutcome::kFailed || nothing)
    return ReportUnlisted(result, output, app);
  status = output.Commit(result.record);
  if (!status.ok()) {
    std::fprintf(stderr, "tarvex-compest-batch: %s\n",
                 status.ToString().c_str());
    return kBatchOutputFailed;
  }
  if (options->summary) {
    const std::string summary =
        options->plan
            ? PlanSummary(Plan(result.record, {options->plan_margin,
                                               options->plan_threshold})
                              .totals())
            : TotalsLine(TotalsOf(*result.record)) + "\n";
    std::fputs(summary.c_str(), stderr);
  }
  return kBatchListed;
}

}  // namespace tce
