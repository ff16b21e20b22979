// The history file's SQLite connection and statements, owned: a handle is
// closed and a statement finalized on every path. Failures become Status
// values that name the file and what SQLite said.
#ifndef TCE_HISTORY_SQLITE_HANDLE_H_
#define TCE_HISTORY_SQLITE_HANDLE_H_

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/status.h"

namespace tce {

class SqliteFile {
 public:
  // kFrozen reads a file whose folder the user may not write, where no
  // other program has the file open for writing (no shared-memory file
  // beside it): SQLite then reads it as it stands.
  enum Mode { kRead, kWrite, kFrozen };
  // Opens the file for reading, or reading and writing, making it when it
  // is missing and `create` is true; waits up to `busy_ms` for a lock
  // another connection holds.
  static Status Open(const std::string& path, int busy_ms, Mode mode,
                     bool create, std::unique_ptr<SqliteFile>* file);
  ~SqliteFile();
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;

  // Runs statements that return no rows.
  Status Execute(const char* sql);
  // A failure of `what`, with SQLite's text for the last call.
  Status Failure(const std::string& what) const;
  // A whole number that a one-row query (a pragma) returns.
  Status QueryInteger(const char* sql, int64_t* value);

  sqlite3* db() const { return db_; }
  const std::string& path() const { return path_; }

 private:
  SqliteFile(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
  sqlite3* db_;
  std::string path_;
};

// A prepared statement. A statement that failed to prepare steps to
// SQLITE_ERROR, so that the failure is met where it is checked.
class SqliteStatement {
 public:
  SqliteStatement(const SqliteFile& file, std::string_view sql);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  // Parameters count from 1; text is copied.
  SqliteStatement& Bind(int index, int64_t value);
  SqliteStatement& Bind(int index, double value);
  SqliteStatement& Bind(int index, std::string_view text);
  SqliteStatement& BindNull(int index);
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step();
  // Steps once and expects SQLITE_DONE.
  bool Run() { return Step() == SQLITE_DONE; }
  void Reset();

  // Columns count from 0.
  int64_t Integer(int column) const;
  double Real(int column) const;
  std::string Text(int column) const;
  bool IsNull(int column) const;

 private:
  sqlite3_stmt* statement_ = nullptr;
};

// A transaction that rolls back unless it was committed.
class SqliteTransaction {
 public:
  explicit SqliteTransaction(SqliteFile& file) : file_(file) {}
  ~SqliteTransaction();
  // BEGIN IMMEDIATE: the write lock is taken now (waiting for another
  // writer up to the busy timeout), so that no other writer can slip in
  // between a read and the writes that follow from it.
  Status Begin();
  // A read of one moment: nothing another writer commits meanwhile is seen.
  Status BeginRead();
  Status Commit();

 private:
  SqliteFile& file_;
  bool open_ = false;
};

}  // namespace tce

#endif  // TCE_HISTORY_SQLITE_HANDLE_H_
