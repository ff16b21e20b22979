#include "history/history.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>

#include "history/history_rows.h"
#include "history/history_schema.h"

namespace tce {

namespace {

// How a file is opened: written, or read where SQLite can keep its
// shared memory beside it, else read as it stands.
SqliteFile::Mode ReadMode(const std::string& path, bool writable) {
  if (writable) return SqliteFile::kWrite;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  struct stat info {};
  if (::access(folder.c_str(), W_OK) == 0 || stat((path + "-shm").c_str(), &info) == 0)
    return SqliteFile::kRead;
  return SqliteFile::kFrozen;
}

}  // namespace

Status History::Open(const std::string& path, std::unique_ptr<History>* out,
                     Access access) {
  struct stat info {};
  const bool exists = stat(path.c_str(), &info) == 0;
  if (!exists && access != Access::kKeep)
    return Status::Failure(path + ": there is no such history file");
  if (exists && !S_ISREG(info.st_mode))
    return Status::Failure(path + ": not a history file (not a regular file)");
  // A file only read is opened for reading when it cannot be written.
  const bool writable = access != Access::kRead || ::access(path.c_str(), W_OK) == 0;
  if (exists && !writable && access != Access::kRead)
    return Status::FileFailure(path + ": the history file cannot be written "
                                      "(permission denied)");
  std::unique_ptr<SqliteFile> file;
  Status status = SqliteFile::Open(path, kBusyMs, ReadMode(path, writable),
                                   access == Access::kKeep, &file);
  if (!status.ok()) return status;
  if (writable && sqlite3_db_readonly(file->db(), "main") == 1)
    return Status::FileFailure(path + ": the history file cannot be written "
                                      "(permission denied)");
  std::unique_ptr<History> history(new History(std::move(file)));
  status = history->Prepare(writable, access == Access::kKeep);
  if (status.ok()) *out = std::move(history);
  return status;
}

Status History::Prepare(bool writable, bool may_create) {
  Status status = PrepareSchema(*file_, kSchemaVersion, writable, may_create);
  if (!status.ok() || !writable) return status;
  // Write-ahead logging lets a run be written while others read, and keeps
  // the file whole when a writer dies: the log's uncommitted end is
  // dropped at the next open.
  SqliteStatement wal(*file_, "PRAGMA journal_mode = WAL");
  if (wal.Step() != SQLITE_ROW)
    return file_->Failure("the history file cannot be opened for writing");
  return Status();
}

std::string KeptDatabaseName(const std::string& database) {
  std::string name = database.substr(database.rfind('/') + 1);
  for (char& c : name)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::string suffix = ".db";
  if (name.size() > suffix.size() &&
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
    name.resize(name.size() - suffix.size());
  return name;
}

Status History::Keep(const RunRecord& record, int64_t* id, bool* added) {
  if (!record.failure.empty() || !record.complete) {
    return Status::Failure("the run of " + record.database +
                           " did not complete; it is not kept");
  }
  SqliteTransaction transaction(*file_);
  Status status = transaction.Begin();
  if (status.ok()) status = InsertRun(*file_, record, id, added);
  if (!status.ok() || !*added) return status;
  status = InsertTables(*file_, *id, record);
  if (status.ok()) status = InsertTotals(*file_, *id, TotalsOfRun(record));
  if (status.ok()) status = transaction.Commit();
  return status;
}

Status History::Read(int64_t id, std::shared_ptr<RunRecord>* out) {
  auto record = std::make_shared<RunRecord>();
  SqliteTransaction transaction(*file_);
  Status status = transaction.BeginRead();
  if (status.ok()) status = ReadRunRows(*file_, id, record.get());
  if (status.ok()) *out = std::move(record);
  return status;
}

Status History::Runs(const std::string& where, const ServerIdentity* server,
                     const std::string* database, std::vector<KeptRun>* runs) {
  SqliteStatement select(*file_, KeptRunQuery(where + " ORDER BY started, r.id"));
  if (server != nullptr) {
    select.Bind(1, server->name).Bind(2, server->host);
    select.Bind(3, KeptDatabaseName(*database));
  }
  int step;
  while ((step = select.Step()) == SQLITE_ROW) runs->push_back(KeptRunAt(select));
  if (step != SQLITE_DONE) return file_->Failure("the runs cannot be read");
  return Status();
}

Status History::RunsOf(const ServerIdentity& server, const std::string& database,
                       std::vector<KeptRun>* runs) {
  return Runs(
      "WHERE server_name = ?1 AND server_host = ?2 AND database = ?3",
      &server, &database, runs);
}

Status History::AllRuns(std::vector<KeptRun>* runs) {
  return Runs("", nullptr, nullptr, runs);
}

Status History::Prune(int keep, int64_t* removed) {
  SqliteTransaction transaction(*file_);
  Status status = transaction.Begin();
  if (!status.ok()) return status;
  // The runs beyond the newest `keep` of each server's database.
  const std::string sql =
      "CREATE TEMP TABLE pruned AS SELECT id FROM (SELECT id, row_number() "
      "OVER (PARTITION BY server_name, server_host, database ORDER BY started "
      "DESC, id DESC) AS newest FROM runs) WHERE newest > " +
      std::to_string(keep) +
      "; DELETE FROM run_tables WHERE run IN pruned;"
      " DELETE FROM run_totals WHERE run IN pruned;"
      " DELETE FROM runs WHERE id IN pruned;"
      " DELETE FROM names WHERE id NOT IN (SELECT name FROM run_tables);";
  status = file_->Execute(sql.c_str());
  if (status.ok()) status = file_->QueryInteger("SELECT count(*) FROM pruned", removed);
  if (status.ok()) status = file_->Execute("DROP TABLE pruned");
  if (status.ok()) status = transaction.Commit();
  return status;
}

}  // namespace tce
