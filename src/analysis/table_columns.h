// One table's columns read again from the catalog and estimated, as the
// run that listed it read them: for the table details.
#ifndef TCE_ANALYSIS_TABLE_COLUMNS_H_
#define TCE_ANALYSIS_TABLE_COLUMNS_H_

#include <string>

#include "base/run_settings.h"
#include "base/status.h"
#include "db/connection.h"
#include "engine/compute.h"
#include "engine/type_statistics.h"

namespace tce {

// Reads one table's columns from the catalog into `estimate` (its own
// column list) and computes their savings, with the settings of the run that
// listed it. A table the catalog no longer holds is a failure that says so.
Status ReadTableColumns(Connection& connection,
                        const TypeStatisticsTable& statistics,
                        const RunSettings& settings, const std::string& owner,
                        const std::string& table, EstimateContext& estimate);

}  // namespace tce

#endif  // TCE_ANALYSIS_TABLE_COLUMNS_H_
