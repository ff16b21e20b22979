#include "app/batch.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "app/batch_options.h"
#include "app/batch_databases.h"
#include "app/batch_output.h"
#include "app/batch_report.h"
#include "app/console.h"
#include "app/file_roles.h"
#include "app/filter_files.h"
#include "app/password.h"
#include "model/plan.h"
#include "output/results_output.h"
#include "base/text_util.h"
#include "actions/results_actions.h"
#include "wizard/app_state.h"

namespace tce {
namespace {

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

// The run of one database, written as it always was.
int RunOneDatabase(const BatchOptions& options, AppState& app,
                   ConsoleDesktop& desktop, const std::string& password,
                   const DatabaseTarget& target,
                   std::vector<DatabaseOutcome>* outcomes) {
  app.connection.Server = target.server;
  Status status = app.connection.Connect(target.database, options.user,
                                         password, nullptr);
  if (!status.ok()) {
    ShowStatus(app.reporter, status);
    std::fprintf(stderr, "Connection failed.\n");
    return kBatchConnectionFailed;
  }

  BatchOutput output(options, app);
  // With --report and no --output the report is the output.
  const bool write_list = !options.report || options.output;
  status = write_list ? output.Open() : output.OpenSpool();
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
  const bool nothing = options.plan ? result.record->tables.empty()
                                    : result.outcome != RunOutcome::kListed;
  if (result.outcome == RunOutcome::kFailed || nothing)
    return ReportUnlisted(result, output, app);
  outcomes->push_back({target.name, result.record, ""});
  if (write_list) {
    status = output.Commit(result.record);
    if (!status.ok()) {
      std::fprintf(stderr, "tarvex-compest-batch: %s\n",
                   status.ToString().c_str());
      return kBatchOutputFailed;
    }
  }
  if (options.summary) {
    const std::string summary =
        options.plan
            ? PlanSummary(Plan(result.record, {options.plan_margin,
                                               options.plan_threshold})
                              .totals())
            : TotalsLine(TotalsOf(*result.record)) + "\n";
    std::fputs(summary.c_str(), stderr);
  }
  return kBatchListed;
}

}  // namespace

int RunBatch(int argc, char** argv) {
  std::optional<BatchOptions> options = ParseBatchArguments(argc, argv);
  if (!options) return kBatchUsage;
  if (options->exit_now) return 0;
  if (!EachFileHasOneRole(*options)) return kBatchInputRefused;
  if (!ReadFilterFiles(*options)) return kBatchInputRefused;

  ConsoleDesktop desktop;
  AppState app(desktop);
  app.LoadConfiguration();
  app.LoadMessages();
  app.BuildStatistics();
  ResetToStartupValues(app.settings);
  ApplyOptions(*options, app.settings);
  if (!options->report_from.empty()) return WriteReportFrom(*options, app);

  std::string password;
  if (!ReadPassword(options->password_file, password)) {
    return kBatchConnectionFailed;
  }
  std::vector<DatabaseTarget> targets = {
      {options->database, options->database, ""}};
  if (options->all_databases || options->databases.size() > 1) {
    targets.clear();
    bool connect_failed = false;
    const Status status =
        ChooseDatabases(*options, app, password, &targets, &connect_failed);
    if (!status.ok()) {
      ShowStatus(app.reporter, status);
      if (connect_failed) {
        std::fprintf(stderr, "Connection failed.\n");
        return kBatchConnectionFailed;
      }
      return kBatchQueryFailed;
    }
    if (targets.empty()) {
      std::fprintf(stderr, "tarvex-compest-batch: the server lists no "
                           "databases.\n");
      return kBatchQueryFailed;
    }
  }
  std::vector<DatabaseOutcome> outcomes;
  const int status =
      targets.size() == 1
          ? RunOneDatabase(*options, app, desktop, password, targets[0],
                           &outcomes)
          : RunDatabases(*options, app, desktop, password, targets, &outcomes);
  if (options->report && (status == kBatchListed ||
                          status == kBatchSomeDatabasesFailed)) {
    const int report_status = WriteRunReport(*options, app, outcomes);
    if (report_status != kBatchListed) return report_status;
  }
  return status;
}

}  // namespace tce
