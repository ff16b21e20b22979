// The history file's tables and their versions. Version 1: the runs
// (server, database, settings, times, plan rule), the owner and table
// names (each pair once for every run), and every run's tables with the
// record's own values. Version 2 adds each run's totals.
#ifndef TCE_HISTORY_HISTORY_SCHEMA_H_
#define TCE_HISTORY_HISTORY_SCHEMA_H_

#include "base/status.h"
#include "history/sqlite_handle.h"

namespace tce {

// What a history file says it is in its header (PRAGMA application_id):
// "TCEH".
inline constexpr int64_t kHistoryApplicationId = 0x54434548;

// Makes the current schema in an empty file (when `may_create`), upgrades
// a file of an older version in place (when `writable`), and refuses a
// newer one or an SQLite file that is not a history. Runs in one
// transaction of its own.
Status PrepareSchema(SqliteFile& file, int current_version, bool writable,
                     bool may_create);

}  // namespace tce

#endif  // TCE_HISTORY_HISTORY_SCHEMA_H_
