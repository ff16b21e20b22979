// The history of runs: every completed run kept in one SQLite file, whole
// (the record's own values, Fixed4 numbers as their raw integers), so that
// a run read back is the run that was kept. One transaction per run; the
// file is in WAL mode with a busy timeout, so that runs ending at once (one
// run's databases, or overlapping scheduled runs) all land, and a run
// killed while it is written leaves every earlier one as it was.
//
// The schema is versioned (PRAGMA user_version): a file of an older
// version is upgraded in place when it is opened; a newer one, or an SQLite
// file that is not a history, is refused. The man page of
// tarvex-compest-batch documents the tables.
#ifndef TCE_HISTORY_HISTORY_H_
#define TCE_HISTORY_HISTORY_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/status.h"
#include "history/run_totals.h"
#include "history/sqlite_handle.h"
#include "model/format.h"
#include "model/run_record.h"

namespace tce {

// A run as the history lists it.
struct KeptRun {
  int64_t id = 0;
  ServerIdentity server;
  std::string database;
  TimePoint started{};
  TimePoint ended{};
  Method method = Method::kPage;  // the run's own
  RunTotals totals;
};

class History {
 public:
  // The version of the schema this release writes.
  static constexpr int kSchemaVersion = 2;
  // How long a writer waits for another one to finish.
  static constexpr int kBusyMs = 60000;

  // What a command does with the file: keeps runs in it (made when it is
  // missing), changes it (prunes), or only reads it (lists, reports,
  // compares: a file the user may read but not write serves).
  enum class Access { kKeep, kChange, kRead };

  // Opens the history file at `path` for `access`, upgrading an older one
  // where the file can be written. Anything but a regular file is refused,
  // and a file to be written must be writable. A failure says what is
  // wrong with the file: an input failure when the file is not one this
  // release can use, a file failure when it cannot be read or written.
  static Status Open(const std::string& path, std::unique_ptr<History>* out,
                     Access access = Access::kKeep);

  // Keeps a completed run in one transaction; `id` gets its id. A run kept
  // before (the same server, host, database and start, to the
  // millisecond) is kept once: `added` is then false and `id` the kept
  // one's. A failed or incomplete run is refused.
  Status Keep(const RunRecord& record, int64_t* id, bool* added);

  // Reads a kept run back whole.
  Status Read(int64_t id, std::shared_ptr<RunRecord>* record);

  // The runs of one server's database, oldest first.
  Status RunsOf(const ServerIdentity& server, const std::string& database,
                std::vector<KeptRun>* runs);
  // Every run kept, oldest first.
  Status AllRuns(std::vector<KeptRun>* runs);

  // Keeps the newest `keep` runs of each server's database and removes the
  // others in one transaction; `removed` gets how many.
  Status Prune(int keep, int64_t* removed);

  const std::string& path() const { return file_->path(); }

 private:
  explicit History(std::unique_ptr<SqliteFile> file)
      : file_(std::move(file)) {}
  Status Prepare(bool writable, bool may_create);
  Status Runs(const std::string& where, const ServerIdentity* server,
              const std::string* database, std::vector<KeptRun>* runs);

  std::unique_ptr<SqliteFile> file_;
};

// The name a run's database is kept under: its name on its server, in
// small letters, whether the run named it or gave its file's path, as the
// server opens it (`DEMO`, `srv/demo.db` and `/data/srv/demo.db` of the
// server in /data/srv are one database).
std::string KeptDatabaseName(const std::string& database);

// The moment as the history keys runs by it: ISO 8601 in UTC to the
// millisecond, as the record's document writes it.
inline std::string RunKeyTime(TimePoint when) { return IsoTimeText(when); }

}  // namespace tce

#endif  // TCE_HISTORY_HISTORY_H_
