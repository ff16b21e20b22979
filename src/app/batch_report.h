// The command-line tool's HTML report: from the records of the run it just
// made, or from those of earlier runs' --json documents (--report-from);
// both go through the same page.
#ifndef TCE_APP_BATCH_REPORT_H_
#define TCE_APP_BATCH_REPORT_H_

#include "analysis/services.h"
#include "app/batch_options.h"
#include "history/history.h"
#include "output/record_reader.h"

namespace tce {

// Writes --report of the records, with `history` (when given) the
// sections of their history; the exit status (0 when it was written).
int WriteRunReport(const BatchOptions& options, const Services& services,
                   const Records& records, History* history = nullptr);

// Writes --report from the --report-from documents. A file that cannot be
// read, is not this tool's JSON, or holds a record another file (or the
// same one) holds too is named and nothing is written (exit 2).
int WriteReportFrom(const BatchOptions& options, const Services& services,
                    History* history = nullptr);

}  // namespace tce

#endif  // TCE_APP_BATCH_REPORT_H_
