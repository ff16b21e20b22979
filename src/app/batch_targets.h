// The databases one run of the command-line tool estimates: each
// --database, or with --all-databases every database the server of the
// first lists, each once however it is spelled.
#ifndef TCE_APP_BATCH_TARGETS_H_
#define TCE_APP_BATCH_TARGETS_H_

#include <string>
#include <vector>

#include "analysis/services.h"
#include "app/batch_options.h"
#include "base/status.h"

namespace tce {

// One database to estimate: its name in the output, and how to reach it.
struct DatabaseTarget {
  std::string name;
  std::string database;  // DATABASE of the connection string
  std::string server;    // SERVER, or empty for the driver's default
  // Why it cannot be estimated (a name the server lists that is not a
  // database name); empty when it can.
  std::string refused;
};

// The databases the options name, in order: with --all-databases, those
// the server of the first --database lists (sorted by name), then any
// other --database; without, each --database. A database named twice, by
// whatever spelling reaches the same file, is kept once, with one note on
// standard error. `services.connection` is used and closed again. A failure
// to connect (`connect_failed`) or to list is returned.
Status ChooseDatabases(const BatchOptions& options, Services& services,
                       const std::string& password,
                       std::vector<DatabaseTarget>* targets,
                       bool* connect_failed);

}  // namespace tce

#endif  // TCE_APP_BATCH_TARGETS_H_
