// --since: what changed in each database since an earlier kept run,
// written instead of the list (to --output or standard output), with
// --summary a summary on standard error.
#ifndef TCE_APP_BATCH_SINCE_H_
#define TCE_APP_BATCH_SINCE_H_

#include <vector>

#include "app/batch_history.h"
#include "app/batch_options.h"
#include "app/batch_targets.h"
#include "output/record_reader.h"

namespace tce {

// Compares every completed record with the run --since names and writes
// the changes. A database without such a run is named and left out (with
// one database nothing is written). The exit status.
int WriteChangesSince(const BatchOptions& options, History& history,
                      const std::vector<DatabaseTarget>& targets,
                      const Records& records, const RunKeeper& keeper);

}  // namespace tce

#endif  // TCE_APP_BATCH_SINCE_H_
