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
  kBatchQueryFailed = 3,
  kBatchUsage = 64,
  kBatchOutputFailed = 74,  // the output could not be written
};

int RunBatch(int argc, char** argv);

}  // namespace tce

#endif  // TCE_APP_BATCH_H_
