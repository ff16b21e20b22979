// The driver's handles and their diagnostics. Every handle given out is
// registered, so that a call with a freed or foreign handle is answered
// with SQL_INVALID_HANDLE instead of touching memory it does not own. A
// handle is shared: freeing it marks it freed and takes it out of the
// registry, and its memory goes with the last call that still holds it.
#ifndef TVCLI_HANDLES_H_
#define TVCLI_HANDLES_H_

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace tvcli {

inline constexpr char kServerPrefix[] = "[Tarvex][CLI Driver][Server] ";
inline constexpr char kClientPrefix[] = "[Tarvex][CLI Driver][Client] ";

enum class Kind { kEnv, kDbc, kStmt };

struct DiagRecord {
  std::string state;  // five characters
  SQLINTEGER native = 0;
  std::string message;
};

struct Handle : std::enable_shared_from_this<Handle> {
  explicit Handle(Kind k) : kind(k) {}
  virtual ~Handle() = default;

  // What serializes the calls on this handle: an environment's own; a
  // connection's own, which its statements share, so that any number of
  // threads may use one connection while separate connections run side by
  // side.
  virtual std::recursive_mutex& Mutex() = 0;

  // Records a diagnostic with the client prefix and returns SQL_ERROR.
  SQLRETURN ClientError(const char* state, const std::string& text) {
    diags.push_back({state, -1, kClientPrefix + text});
    return SQL_ERROR;
  }
  SQLRETURN ServerError(const char* state, SQLINTEGER native,
                        const std::string& text) {
    diags.push_back({state, native, kServerPrefix + text});
    return SQL_ERROR;
  }
  void Warning(const char* state, const std::string& text) {
    diags.push_back({state, 0, kClientPrefix + text});
  }

  const Kind kind;
  // Set, under Mutex(), by the call that frees the handle: a call that
  // waited for the mutex meanwhile answers SQL_INVALID_HANDLE.
  bool freed = false;
  std::deque<DiagRecord> diags;
  // What the last call on the handle returned (SQL_DIAG_RETURNCODE).
  SQLRETURN last_rc = SQL_SUCCESS;
};

struct Stmt;

struct Env : Handle {
  Env() : Handle(Kind::kEnv) {}
  std::recursive_mutex& Mutex() override { return mutex; }

  std::recursive_mutex mutex;
  SQLINTEGER odbc_version = 0;
  int connections = 0;  // allocated connection handles
};

struct Dbc : Handle {
  explicit Dbc(std::shared_ptr<Env> e) : Handle(Kind::kDbc), env(std::move(e)) {}
  bool connected() const { return db != nullptr; }
  std::recursive_mutex& Mutex() override { return mutex; }

  std::recursive_mutex mutex;
  const std::shared_ptr<Env> env;
  sqlite3* db = nullptr;
  std::string database;   // the name the connection string gave
  std::string qualifier;  // the name statements qualify its tables with
  std::string data_source;  // the DSN connected through, if any
  std::string user;
  std::string server_version;
  std::string server;  // the server's folder, absolute
  SQLUINTEGER autocommit = SQL_AUTOCOMMIT_ON;
  SQLUINTEGER login_timeout = 0;
  std::set<Stmt*> statements;
};

struct ColumnInfo {
  std::string name;
  std::string type_name;  // as declared in the catalog; empty for values
  SQLSMALLINT type = SQL_VARCHAR;
  SQLULEN size = 255;
  SQLSMALLINT digits = 0;
};

struct Binding {
  SQLSMALLINT target = 0;
  SQLPOINTER buffer = nullptr;
  SQLLEN length = 0;
  SQLLEN* indicator = nullptr;
};

struct Stmt : Handle {
  explicit Stmt(std::shared_ptr<Dbc> d) : Handle(Kind::kStmt), dbc(std::move(d)) {}
  ~Stmt() override { CloseCursor(); }
  std::recursive_mutex& Mutex() override { return dbc->mutex; }
  void CloseCursor() {
    if (vm != nullptr) sqlite3_finalize(vm);
    vm = nullptr;
    executed = row_pending = done = on_row = false;
    columns.clear();
    ForgetPartialData();
  }
  void ForgetPartialData() {
    part_column = 0;
    part_offset = 0;
    part_wide_ready = false;
    part_wide.clear();
  }

  // Kept while the statement is: its mutex is the one a waiting call holds.
  const std::shared_ptr<Dbc> dbc;
  bool prepared = false;
  std::string sql;  // translated to SQLite's dialect
  sqlite3_stmt* vm = nullptr;
  bool executed = false;
  bool row_pending = false;  // the first row was stepped by SQLExecute
  bool done = false;
  bool on_row = false;  // a fetched row's values can be read
  // SQLGetData's place in a value delivered in parts: the column (from 1,
  // 0 for none) and how many bytes of it went out; for a value delivered
  // whole, the offset is past its end.
  SQLUSMALLINT part_column = 0;
  size_t part_offset = 0;
  // The value being read in parts as UTF-16, converted at its first part.
  std::u16string part_wide;
  bool part_wide_ready = false;
  std::vector<ColumnInfo> columns;
  std::vector<Binding> bindings;  // index = column number - 1
};

// The registry of live handles. Register returns the handle's value for
// the application.
SQLHANDLE Register(std::shared_ptr<Handle> handle);
void Unregister(Handle* handle);
// The handle this thread found last: a fetch loop asks for the same
// statement row after row, and is answered without the registry's lock.
struct LastFound {
  void* key = nullptr;
  Handle* handle = nullptr;
};
extern thread_local constinit LastFound t_last_found;

// The registered handle `handle` names, or nullptr; it becomes this
// thread's last found. Once the thread's exit has gone past its cache,
// `pin` holds the handle instead.
Handle* LookupRegistered(void* handle, std::shared_ptr<Handle>& pin);

// The handle of the kind that `handle` names, or nullptr when it names
// none. It may have been freed since (see Handle::freed); its memory is
// kept, by this thread's cache until it looks up another handle or by
// `pin`, so that the caller can take its mutex and check.
inline Handle* Lookup(void* handle, Kind kind, std::shared_ptr<Handle>& pin) {
  const LastFound& last = t_last_found;
  Handle* found = last.key == handle && handle != nullptr
                      ? last.handle
                      : LookupRegistered(handle, pin);
  return found != nullptr && found->kind == kind ? found : nullptr;
}

template <typename T>
T* As(void* handle, Kind kind, std::shared_ptr<Handle>& pin) {
  return static_cast<T*>(Lookup(handle, kind, pin));
}

}  // namespace tvcli

#endif  // TVCLI_HANDLES_H_
