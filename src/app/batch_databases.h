// Several databases in one run of the command-line tool: the databases
// named with --database, or every database the server lists
// (--all-databases), estimated a few at once, each on its own connection,
// into one output that gives every line its database first.
#ifndef TCE_APP_BATCH_DATABASES_H_
#define TCE_APP_BATCH_DATABASES_H_

#include <memory>
#include <string>
#include <vector>

#include "app/batch_options.h"
#include "base/status.h"
#include "model/run_record.h"
#include "wizard/app_state.h"

namespace tce {

class ConsoleDesktop;

// One database to estimate: its name in the output, and how to reach it.
struct DatabaseTarget {
  std::string name;
  std::string database;  // DATABASE of the connection string
  std::string server;    // SERVER, or empty for the driver's default
};

// The databases the options name: with --all-databases, those the server
// of the first --database lists (sorted by name), then any other
// --database; without, each --database once. `app.connection` is used and
// closed again. A failure to connect (status with `connect_failed`) or to
// list is returned.
Status ChooseDatabases(const BatchOptions& options, AppState& app,
                       const std::string& password,
                       std::vector<DatabaseTarget>* targets,
                       bool* connect_failed);

// What a database's run left for the report.
struct DatabaseOutcome {
  std::string name;
  std::shared_ptr<const RunRecord> record;  // null when it failed
  std::string error;                        // why it failed
};

// Estimates the targets, `options.jobs` at once, writes the output and
// returns the exit status. `outcomes` receives every database's record or
// failure, in the targets' order.
int RunDatabases(const BatchOptions& options, AppState& app,
                 ConsoleDesktop& desktop, const std::string& password,
                 const std::vector<DatabaseTarget>& targets,
                 std::vector<DatabaseOutcome>* outcomes);

// The number of databases estimated at once: --jobs, else the cores (at
// most 4).
int JobsFor(const BatchOptions& options, size_t databases);

}  // namespace tce

#endif  // TCE_APP_BATCH_DATABASES_H_
