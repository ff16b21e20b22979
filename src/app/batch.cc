#include "app/batch.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "analysis/services.h"
#include "app/batch_options.h"
#include "app/batch_report.h"
#include "app/batch_runs.h"
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

}  // namespace

int RunBatch(int argc, char** argv) {
  std::optional<BatchOptions> options = ParseBatchArguments(argc, argv);
  if (!options) return kBatchUsage;
  if (options->exit_now) return 0;
  if (!EachFileHasOneRole(*options)) return kBatchInputRefused;
  if (!ReadFilterFiles(*options)) return kBatchInputRefused;

  ConsoleDesktop desktop;
  Services services(desktop);
  services.LoadConfiguration();
  services.LoadMessages();
  services.BuildStatistics();
  ResetToStartupValues(services.settings);
  ApplyOptions(*options, services.settings);
  if (!options->report_from.empty()) return WriteReportFrom(*options, services);

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
  Records records;
  const int run_status =
      RunTargets(*options, services, desktop, password, targets, &records);
  if (options->report && (run_status == kBatchListed ||
                          run_status == kBatchSomeDatabasesFailed)) {
    const int report_status = WriteRunReport(*options, services, records);
    if (report_status != kBatchListed) return report_status;
  }
  return run_status;
}

}  // namespace tce
