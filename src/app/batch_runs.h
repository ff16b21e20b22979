// The estimates of one run of the command-line tool: every target
// database, a few at once, each on its own connection; one database is the
// case of a single target. The output is put together in the targets'
// order as their runs end, so that at most as many databases' column lines
// wait as run at once.
#ifndef TCE_APP_BATCH_RUNS_H_
#define TCE_APP_BATCH_RUNS_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/services.h"
#include "app/batch_options.h"
#include "app/batch_targets.h"
#include "output/record_reader.h"

namespace tce {

class ConsoleDesktop;

// Called in a database's worker once its run is over, with the target's
// index and the run's record (a failed one with its failure).
using RunFinished = std::function<void(size_t index, const RunRecord& record)>;

// Estimates the targets and writes the output (unless the report alone is
// asked for); `records` receives every database's record, a failed one
// with its failure, in the targets' order. Returns the exit status.
int RunTargets(const BatchOptions& options, Services& services,
               ConsoleDesktop& desktop, const std::string& password,
               const std::vector<DatabaseTarget>& targets, Records* records,
               const RunFinished& finished = {});

// The number of databases estimated at once: --jobs, else the cores (at
// most 4), never more than the databases.
int JobsFor(const BatchOptions& options, size_t databases);

}  // namespace tce

#endif  // TCE_APP_BATCH_RUNS_H_
