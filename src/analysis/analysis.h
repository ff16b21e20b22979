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
#include "model/results.h"

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

// Receives each listed table with its columns as the run completes it.
class TableSink {
 public:
  virtual ~TableSink() = default;
  // A failure ends the run as failed.
  virtual Status OnTable(const TableEstimate& table,
                         std::span<const CatalogColumnRow> columns) = 0;
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
  // The listed tables. After a failure part-way: the tables completed
  // before it, with `complete` false. Never null.
  std::shared_ptr<ResultSet> results;
};

// What a run reads. All references outlive the call.
struct RunContext {
  Connection& connection;  // open, with its PageSizeExpression
  const RunSettings& settings;
  const Estimator& estimator;
  const Logger& logger;
};

// Runs the estimate with the options of `context.settings`. `progress` and
// `sink` may be null.
RunResult RunAnalysis(const RunContext& context, RunProgress* progress,
                      TableSink* sink);

// The record of one estimated table, or nothing when its saving is below
// the minimum compression. `columns` are the table's rows, `pct` the
// saving Compute returned, `estimate` holds its lengths.
std::optional<TableEstimate> MakeTableEstimate(const std::string& owner,
                                               const std::string& table,
                                               const EstimateContext& estimate,
                                               Fixed4 pct,
                                               const RunSettings& settings);

}  // namespace tce

#endif  // TCE_ANALYSIS_ANALYSIS_H_
