// The rows of one run in the history file, written and read back: the
// run, its tables (names kept once in their own table) and its totals.
// Callers hold the transaction.
#ifndef TCE_HISTORY_HISTORY_ROWS_H_
#define TCE_HISTORY_HISTORY_ROWS_H_

#include <cstdint>
#include <string>

#include "base/status.h"
#include "history/history.h"
#include "history/run_totals.h"
#include "history/sqlite_handle.h"

namespace tce {

// Adds the run's own row; `added` false (and `id` the kept one's) when the
// same run is kept already.
Status InsertRun(SqliteFile& file, const RunRecord& record, int64_t* id,
                 bool* added);
Status InsertTables(SqliteFile& file, int64_t run, const RunRecord& record);
Status InsertTotals(SqliteFile& file, int64_t run, const RunTotals& totals);
// Reads run `id` whole into `record` (listed as its settings list).
Status ReadRunRows(SqliteFile& file, int64_t id, RunRecord* record);

// A query of kept runs with their totals: `rest` follows the FROM (a
// WHERE and an ORDER BY, the runs being `r`); KeptRunAt reads its rows.
std::string KeptRunQuery(const std::string& rest);
KeptRun KeptRunAt(const SqliteStatement& row);

}  // namespace tce

#endif  // TCE_HISTORY_HISTORY_ROWS_H_
