// The analysis run: the catalog query's rows grouped into tables, each
// estimated by Compute, the tables at or above the minimum compression
// made into TableEstimate records. The run owns everything it builds; its
// result is a value the caller publishes when the run is over.
#ifndef TCE_ANALYSIS_ANALYSIS_H_
#define TCE_ANALYSIS_ANALYSIS_H_

#include <memory>
#include <span>
#include <string>

#include "base/debug_log.h"
#include "base/run_settings.h"
#include "db/connection.h"
#include "db/status.h"
#include "engine/compute.h"
#include "engine/type_statistics.h"
#include "model/run_record.h"

namespace tce {

// How the run reports progress and learns that it is to stop.
class RunProgress {
 public:
  virtual ~RunProgress() = default;
  // The query runs and its rows are about to be read: what an earlier run
  // listed can go.
  virtual void Started() {}
  // Called before a fetch while the number of listed tables is a multiple
  // of ten: `tick` (1 to 100, then from 1 again) and the tables listed.
  // Cheap to call: the windows repaint by elapsed time, not per call.
  virtual void Update(int tick, int tables_listed) = 0;
  // Asked before every fetch; true ends the run without a result.
  virtual bool StopRequested() = 0;
};

// Receives each table as the run completes it, with its columns and what
// Compute left of it (`estimate`).
class TableSink {
 public:
  virtual ~TableSink() = default;
  // `listed`: whether the table reaches the minimum compression. A failure
  // ends the run as failed.
  virtual Status OnTable(const RunRecord& record, const TableRecord& table,
                         bool listed, const EstimateContext& estimate) = 0;
};

enum class RunOutcome {
  kListed,         // at least one table listed
  kNothingListed,  // no table qualified
  kFailed,         // the query could not run, or a fetch failed part-way
  kStopped,        // stopped on request
};

struct RunResult {
  RunOutcome outcome = RunOutcome::kNothingListed;
  Status status;  // why the run failed
  // What the run read. After a failure part-way: the tables completed
  // before it, with `complete` false. Never null.
  std::shared_ptr<RunRecord> record;
};

// What a run is made of. The settings are the run's own copy: nothing the
// user changes while the run works reaches it. The references outlive the
// call.
struct RunRequest {
  Connection& connection;  // open, with its PageSizeExpression
  RunSettings settings;
  const TypeStatisticsTable& statistics;
  const Logger& logger;
};

// Runs the estimate with the request's settings. `progress` and `sink` may
// be null.
RunResult RunAnalysis(const RunRequest& request, RunProgress* progress,
                      TableSink* sink);

// The record of one estimated table: `estimate` holds its columns and the
// figures Compute left.
TableRecord MakeTableRecord(const std::string& owner, const std::string& table,
                            const EstimateContext& estimate);

}  // namespace tce

#endif  // TCE_ANALYSIS_ANALYSIS_H_
