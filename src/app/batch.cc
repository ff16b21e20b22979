#include "app/batch.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "analysis/services.h"
#include "app/batch_history.h"
#include "app/batch_options.h"
#include "app/batch_report.h"
#include "app/batch_runs.h"
#include "app/batch_since.h"
#include "app/batch_targets.h"
#include "app/console.h"
#include "app/file_roles.h"
#include "app/filter_files.h"
#include "app/password.h"

namespace tce {
namespace {

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

// Estimates the targets and writes what is asked for: the list, or the
// changes since an earlier run; the report; each completed run kept in the
// history, when there is one.
int Estimate(const BatchOptions& options, Services& services,
             ConsoleDesktop& desktop, const std::string& password,
             const std::vector<DatabaseTarget>& targets, History* history) {
  Records records;
  std::optional<RunKeeper> keeper;
  if (history != nullptr) keeper.emplace(*options.history, targets.size());
  const int estimate_status = RunTargets(
      options, services, desktop, password, targets, &records,
      [&](size_t index, const RunRecord& record) {
        if (keeper) keeper->Keep(index, record);
      });
  const bool estimated = estimate_status == kBatchListed ||
                         estimate_status == kBatchSomeDatabasesFailed;
  int run_status = estimate_status;
  // The changes stand for the list: a run that lists nothing has changes
  // all the same.
  if (!options.since.empty() &&
      (estimated || estimate_status == kBatchNothingListed)) {
    const int since_status =
        WriteChangesSince(options, *history, targets, records, *keeper);
    if (since_status != kBatchListed || estimate_status == kBatchNothingListed)
      run_status = since_status;
  }
  if (options.report && estimated) {
    const int report_status =
        WriteRunReport(options, services, records, history);
    if (report_status != kBatchListed) return report_status;
  }
  if (keeper) {
    if (const int keep_status = keeper->Report(); keep_status != kBatchListed)
      return keep_status;
  }
  return run_status;
}

}  // namespace

int RunBatch(int argc, char** argv) {
  std::optional<BatchOptions> options = ParseBatchArguments(argc, argv);
  if (!options) return kBatchUsage;
  if (options->exit_now) return 0;
  if (!EachFileHasOneRole(*options)) return kBatchInputRefused;
  if (!ReadFilterFiles(*options)) return kBatchInputRefused;
  if (HistoryOnly(*options)) return RunHistoryCommands(*options);

  ConsoleDesktop desktop;
  Services services(desktop);
  services.LoadConfiguration();
  services.LoadMessages();
  services.BuildStatistics();
  ResetToStartupValues(services.settings);
  ApplyOptions(*options, services.settings);
  // A history that cannot be used is said before anything is read.
  std::unique_ptr<History> history;
  if (options->history) {
    // A report from files only reads it; a run keeps itself in it.
    const History::Access access = options->report_from.empty()
                                       ? History::Access::kKeep
                                       : History::Access::kRead;
    if (const int status = OpenHistory(*options, access, &history); status != 0)
      return status;
  }
  if (!options->report_from.empty())
    return WriteReportFrom(*options, services, history.get());

  std::string password;
  if (!ReadPassword(options->password_file, password)) {
    return kBatchConnectionFailed;
  }
  std::vector<DatabaseTarget> targets;
  bool connect_failed = false;
  const Status status =
      ChooseDatabases(*options, services, password, &targets, &connect_failed);
  if (!status.ok()) {
    ShowStatus(services.reporter, status);
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
  return Estimate(*options, services, desktop, password, targets,
                  history.get());
}

}  // namespace tce
