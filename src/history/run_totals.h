// A run's totals over every table it read, whatever its minimum saving:
// what the history lists of a run and what its trend draws. Kept beside
// the run when it is kept, so that a trend over hundreds of runs reads
// one line per run.
#ifndef TCE_HISTORY_RUN_TOTALS_H_
#define TCE_HISTORY_RUN_TOTALS_H_

#include <cstdint>

#include "engine/compute.h"
#include "model/run_record.h"

namespace tce {

struct RunTotals {
  int64_t tables = 0;
  // The space the tables take: AllocatedBytes, also of tables without
  // statistics (they save nothing).
  double size_bytes = 0;
  // What each method would save: SavedBytes summed.
  ByMethod<double> saved_bytes;

  // The size once every table is compressed by `method`.
  double CompressedBytes(Method method) const {
    return size_bytes - saved_bytes[method];
  }
  // The saving in percent of the size (0 without a size).
  double SavedPct(Method method) const {
    return size_bytes > 0 ? saved_bytes[method] * 100 / size_bytes : 0;
  }
};

RunTotals TotalsOfRun(const RunRecord& record);

}  // namespace tce

#endif  // TCE_HISTORY_RUN_TOTALS_H_
