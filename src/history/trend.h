// A database's trend over its kept runs: each run's size and estimated
// compressed size (by the run's own method), from the runs' kept totals
// alone, and drawn as the report's SVG chart with its text alternative.
#ifndef TCE_HISTORY_TREND_H_
#define TCE_HISTORY_TREND_H_

#include <string>
#include <vector>

#include "base/message_table.h"
#include "history/history.h"

namespace tce {

struct TrendPoint {
  TimePoint started{};
  double size_bytes = 0;
  double compressed_bytes = 0;
};

// The trend of `record`'s server and database: its kept runs that started
// no later than it, oldest first, ending with the record's own run (its
// totals worked out when it is not kept).
Status TrendOf(History& history, const RunRecord& record,
               std::vector<TrendPoint>* points);

// Two lines, size and compressed size, over the runs in their order,
// titled for readers that do not see it; `id` makes its title's id unique
// on the page. Empty without a point.
std::string TrendChart(const std::vector<TrendPoint>& points,
                       const std::string& name, const MessageTable& messages,
                       int id);

}  // namespace tce

#endif  // TCE_HISTORY_TREND_H_
