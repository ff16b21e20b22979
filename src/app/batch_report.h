// The command-line tool's HTML report: from the run it just made, or from
// the --json documents of earlier runs (--report-from).
#ifndef TCE_APP_BATCH_REPORT_H_
#define TCE_APP_BATCH_REPORT_H_

#include <vector>

#include "app/batch_databases.h"
#include "app/batch_options.h"
#include "wizard/app_state.h"

namespace tce {

// Writes --report from the databases' outcomes; the exit status (0 when
// it was written).
int WriteRunReport(const BatchOptions& options, const AppState& app,
                   const std::vector<DatabaseOutcome>& outcomes);

// Writes --report from the --report-from documents. A file that cannot be
// read or is not this tool's JSON is named and nothing is written (exit 2).
int WriteReportFrom(const BatchOptions& options, const AppState& app);

}  // namespace tce

#endif  // TCE_APP_BATCH_REPORT_H_
