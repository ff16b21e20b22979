// tarvex-compest-batch: the estimate from the command line, for scripts and
// scheduled jobs. The same configuration, analysis, export and details code
// as the windows, without Qt.
#ifndef TCE_APP_BATCH_H_
#define TCE_APP_BATCH_H_

namespace tce {

// Exit statuses.
enum BatchStatus {
  kBatchListed = 0,         // at least one table listed
  kBatchNothingListed = 1,  // no table qualifies
  kBatchConnectionFailed = 2,
  kBatchInputRefused = 2,  // a --report-from file is not the tool's JSON
  kBatchQueryFailed = 3,          // also: every database failed
  kBatchSomeDatabasesFailed = 4,  // the others were written
  kBatchUsage = 64,
  kBatchOutputFailed = 74,  // the output could not be written
};

int RunBatch(int argc, char** argv);

}  // namespace tce

#endif  // TCE_APP_BATCH_H_
