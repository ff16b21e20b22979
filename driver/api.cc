// The SQL/CLI functions the driver exports, with the standard signatures of
// <sql.h>, over SQLite catalogs laid out as server_layout.h describes.
#include <dlfcn.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "base/connection_string.h"
#include "dialect.h"
#include "handles.h"
#include "server_layout.h"
#include "sha256.h"

#define TVCLI_EXPORT extern "C" __attribute__((visibility("default")))

namespace tvcli {
namespace {

constexpr int kBusyTimeoutMs = 2000;

std::string Text(const SQLCHAR* text, SQLINTEGER length) {
  if (text == nullptr) return {};
  const char* chars = reinterpret_cast<const char*>(text);
  if (length == SQL_NTS) return std::string(chars);
  return std::string(chars,
                     static_cast<size_t>(std::max<SQLINTEGER>(length, 0)));
}

// Copies text into an application buffer of `capacity` bytes, cut to fit
// and zero-terminated. Returns true when it was cut.
bool CopyOut(const std::string& text, SQLCHAR* buffer, SQLLEN capacity) {
  if (buffer == nullptr || capacity <= 0) return !text.empty();
  const size_t room = static_cast<size_t>(capacity) - 1;
  const size_t count = std::min(room, text.size());
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return text.size() > room;
}

std::string Upper(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Maps an SQLite failure to a diagnostic the way a server words it.
SQLRETURN SqliteError(Handle& handle, sqlite3* db, int rc) {
  const std::string message =
      db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  const int primary = rc & 0xff;
  auto after = [&](const char* prefix) {
    return message.substr(std::strlen(prefix));
  };
  if (message.rfind("no such table: ", 0) == 0) {
    return handle.ServerError("42S02", -1002,
                              "Table " + after("no such table: ") +
                                  " does not exist in this database.");
  }
  if (message.rfind("no such column: ", 0) == 0) {
    return handle.ServerError("42S22", -1003,
                              "Column " + after("no such column: ") +
                                  " is not known in this statement.");
  }
  if (message.find("syntax error") != std::string::npos ||
      message.rfind("incomplete input", 0) == 0) {
    return handle.ServerError("42000", -1001,
                              "Statement not understood (" + message + ").");
  }
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
    return handle.ServerError(
        "HYT00", -1004,
        "Could not read the catalog: it is locked (" + message + ").");
  }
  if (primary == SQLITE_READONLY) {
    return handle.ServerError("42000", -1005,
                              "The catalog cannot be changed through this "
                              "driver (" +
                                  message + ").");
  }
  if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT) {
    return handle.ServerError("HY000", -1006,
                              "The catalog file is damaged or not a "
                              "database (" +
                                  message + ").");
  }
  return handle.ServerError("HY000", -rc, message);
}

// The folder of the default server, beside this library.
std::string DefaultServerDirectory() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&DefaultServerDirectory), &info) == 0 ||
      info.dli_fname == nullptr) {
    return kDefaultServerDir;
  }
  std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  path = slash == std::string::npos ? "." : path.substr(0, slash);
  // Beside the driver in the build tree; once installed the driver is in
  // <prefix>/lib/tarvex-compest and the servers in <prefix>/share.
  const std::string beside = path + "/" + kDefaultServerDir;
  const std::string installed =
      path + "/../../share/tarvex-compest/" + kDefaultServerDir;
  struct stat dir;
  if (stat(beside.c_str(), &dir) != 0 && stat(installed.c_str(), &dir) == 0 &&
      S_ISDIR(dir.st_mode)) {
    return installed;
  }
  return beside;
}

// The name of the database file in `server` whose name equals `name` but
// for case; `name` itself when there is no such file.
std::string CanonicalDatabaseName(const std::string& server,
                                  const std::string& name) {
  struct stat info;
  if (stat((server + "/" + name + kDatabaseSuffix).c_str(), &info) == 0) {
    return name;
  }
  std::error_code error;
  const std::string wanted = Upper(name + kDatabaseSuffix);
  for (const auto& entry : std::filesystem::directory_iterator(server, error)) {
    const std::string file = entry.path().filename().string();
    if (Upper(file) == wanted) {
      return file.substr(0, file.size() - std::strlen(kDatabaseSuffix));
    }
  }
  return name;
}

bool IsRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Runs a statement that returns one integer; -1 when it fails.
long long QueryInteger(sqlite3* db, const char* sql) {
  sqlite3_stmt* vm = nullptr;
  long long value = -1;
  if (sqlite3_prepare_v2(db, sql, -1, &vm, nullptr) == SQLITE_OK &&
      sqlite3_step(vm) == SQLITE_ROW) {
    value = sqlite3_column_int64(vm, 0);
  }
  sqlite3_finalize(vm);
  return value;
}

// Checks the user against the database's users, when it defines any.
bool Authorised(sqlite3* db, const std::string& user,
                const std::string& password) {
  if (QueryInteger(db,
                   "SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                   "AND name = 'sysusers'") <= 0 ||
      QueryInteger(db, "SELECT count(*) FROM sysusers") <= 0) {
    return true;
  }
  sqlite3_stmt* vm = nullptr;
  bool ok = false;
  if (sqlite3_prepare_v2(db,
                         "SELECT salt, pwhash FROM sysusers WHERE username = ?",
                         -1, &vm, nullptr) == SQLITE_OK) {
    sqlite3_bind_text(vm, 1, user.data(), static_cast<int>(user.size()),
                      SQLITE_TRANSIENT);
    if (sqlite3_step(vm) == SQLITE_ROW) {
      const char* salt =
          reinterpret_cast<const char*>(sqlite3_column_text(vm, 0));
      const char* hash =
          reinterpret_cast<const char*>(sqlite3_column_text(vm, 1));
      ok = salt != nullptr && hash != nullptr &&
           PasswordHash(salt, password) == hash;
    }
  }
  sqlite3_finalize(vm);
  return ok;
}

// The SQL type and size a server reports for a declared catalog type.
ColumnInfo DescribeDeclared(const char* declared) {
  ColumnInfo info;
  const std::string type = Upper(declared);
  const size_t paren = type.find('(');
  const std::string base = type.substr(0, paren);
  long size = -1;
  long digits = 0;
  if (paren != std::string::npos) {
    std::sscanf(type.c_str() + paren, "(%ld,%ld", &size, &digits);
  }
  auto sized = [&](SQLSMALLINT sql_type, long fallback) {
    info.type = sql_type;
    info.size = static_cast<SQLULEN>(size > 0 ? size : fallback);
  };
  if (base.rfind("STAT", 0) == 0) {
    sized(-101, 256);
  } else if (base == "CHAR" || base == "NCHAR" || base == "CHARACTER") {
    sized(SQL_CHAR, 1);
  } else if (base == "VARCHAR" || base == "NVARCHAR") {
    sized(SQL_VARCHAR, 255);
  } else if (base == "LVARCHAR" || base == "TEXT" || base == "CLOB") {
    sized(SQL_LONGVARCHAR, 2048);
  } else if (base == "SMALLINT") {
    sized(SQL_SMALLINT, 5);
  } else if (base == "INTEGER" || base == "INT" || base == "SERIAL") {
    sized(SQL_INTEGER, 10);
  } else if (base == "BIGINT" || base == "INT8" || base == "SERIAL8" ||
             base == "BIGSERIAL") {
    sized(SQL_BIGINT, 19);
  } else if (base == "FLOAT" || base == "DOUBLE") {
    sized(SQL_DOUBLE, 15);
  } else if (base == "REAL" || base == "SMALLFLOAT") {
    sized(SQL_REAL, 7);
  } else if (base == "DECIMAL" || base == "NUMERIC" || base == "MONEY") {
    sized(SQL_DECIMAL, 16);
    info.digits = static_cast<SQLSMALLINT>(digits);
  } else if (base == "DATE") {
    sized(SQL_TYPE_DATE, 10);
  } else {
    sized(SQL_VARCHAR, 255);
  }
  return info;
}

// An expression column has no declared type: describe it from its value in
// the first row, as far as there is one.
ColumnInfo DescribeValue(sqlite3_stmt* vm, int column, bool have_row) {
  ColumnInfo info;
  if (!have_row) return info;
  switch (sqlite3_column_type(vm, column)) {
    case SQLITE_INTEGER:
      info.type = SQL_BIGINT;
      info.size = 19;
      break;
    case SQLITE_FLOAT:
      info.type = SQL_DOUBLE;
      info.size = 15;
      break;
    default:
      info.size = std::max<SQLULEN>(
          255, static_cast<SQLULEN>(sqlite3_column_bytes(vm, column)));
      break;
  }
  return info;
}

void DescribeColumns(Stmt& stmt, bool have_row) {
  stmt.columns.clear();
  const int count = sqlite3_column_count(stmt.vm);
  for (int i = 0; i < count; ++i) {
    const char* declared = sqlite3_column_decltype(stmt.vm, i);
    ColumnInfo info = declared != nullptr ? DescribeDeclared(declared)
                                          : DescribeValue(stmt.vm, i, have_row);
    const char* name = sqlite3_column_name(stmt.vm, i);
    info.name = name != nullptr ? name : "";
    stmt.columns.push_back(info);
  }
}

// Compiles the statement's text; false with a diagnostic when it does not.
bool Compile(Stmt& stmt) {
  stmt.CloseCursor();
  sqlite3* db = stmt.dbc->db;
  const char* tail = nullptr;
  const int rc = sqlite3_prepare_v2(
      db, stmt.sql.c_str(), static_cast<int>(stmt.sql.size()), &stmt.vm, &tail);
  if (rc != SQLITE_OK) {
    SqliteError(stmt, db, rc);
    stmt.CloseCursor();
    return false;
  }
  if (stmt.vm == nullptr) {
    stmt.ServerError("42000", -1001, "Statement not understood (it is empty).");
    return false;
  }
  for (; tail != nullptr && *tail != '\0'; ++tail) {
    if (!std::isspace(static_cast<unsigned char>(*tail)) && *tail != ';') {
      stmt.CloseCursor();
      stmt.ServerError("42000", -1001,
                       "Only one statement can be executed at a time.");
      return false;
    }
  }
  return true;
}

// Writes a column's value as the text a server sends for it into an
// application buffer; returns the value's full length.
size_t WriteValue(sqlite3_stmt* vm, int column, int type, SQLCHAR* buffer,
                  SQLLEN capacity, bool* truncated) {
  const char* text;
  size_t length;
  char number[40];
  if (type == SQLITE_FLOAT) {
    const int written = std::snprintf(number, sizeof number, "%.15g",
                                      sqlite3_column_double(vm, column));
    text = number;
    length = static_cast<size_t>(std::max(written, 0));
  } else if (type == SQLITE_INTEGER) {
    const auto result = std::to_chars(number, number + sizeof number,
                                      sqlite3_column_int64(vm, column));
    text = number;
    length = static_cast<size_t>(result.ptr - number);
  } else {
    text = reinterpret_cast<const char*>(sqlite3_column_text(vm, column));
    length = static_cast<size_t>(sqlite3_column_bytes(vm, column));
  }
  if (buffer != nullptr && capacity > 0) {
    const size_t room = static_cast<size_t>(capacity) - 1;
    const size_t count = std::min(room, length);
    if (count > 0) std::memcpy(buffer, text, count);
    buffer[count] = '\0';
    if (length > room) *truncated = true;
  }
  return length;
}

void FreeStatement(Stmt* stmt) {
  stmt->dbc->statements.erase(stmt);
  Unregister(stmt);
  delete stmt;
}

SQLRETURN Connect(Dbc& dbc, const std::string& connection_string, SQLCHAR* out,
                  SQLSMALLINT out_max, SQLSMALLINT* out_length) {
  auto pairs = tce::ParseConnectionString(connection_string);
  std::string database =
      pairs.count("DATABASE") ? pairs["DATABASE"] : pairs["DB"];
  const std::string user = pairs["UID"];
  const std::string password = pairs["PWD"];
  if (database.empty()) {
    return dbc.ServerError("08001", -1010, "No database name was given.");
  }
  std::string path;
  std::string sysmaster;
  if (database.find('/') != std::string::npos) {
    path = database;
    const size_t slash = path.rfind('/');
    sysmaster = path.substr(0, slash + 1) + kSysmasterFile;
  } else {
    const std::string server = DefaultServerDirectory();
    // Database names are not case-sensitive: the catalog's own spelling is
    // the one the completed connection string reports.
    database = CanonicalDatabaseName(server, database);
    path = server + "/" + database + kDatabaseSuffix;
    sysmaster = server + "/" + kSysmasterFile;
  }
  if (!IsRegularFile(path)) {
    return dbc.ServerError("08001", -1011,
                           "Database " + database +
                               " does not exist on this "
                               "server.");
  }
  sqlite3* db = nullptr;
  // A connection is used by one thread at a time, so SQLite's own locking
  // of every call is not needed.
  int rc = sqlite3_open_v2(path.c_str(), &db,
                           SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    return dbc.ServerError("08001", -1012,
                           "Database " + database + " cannot be opened (" +
                               sqlite3_errstr(rc) + ").");
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  sqlite3_exec(db, "PRAGMA query_only = 1; PRAGMA case_sensitive_like = 1;",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* probe = nullptr;
  rc = sqlite3_prepare_v2(db, "SELECT tabid FROM systables LIMIT 1", -1, &probe,
                          nullptr);
  if (rc == SQLITE_OK)
    rc = sqlite3_step(probe) == SQLITE_ROW ? SQLITE_OK : sqlite3_errcode(db);
  if (rc == SQLITE_DONE) rc = SQLITE_OK;
  const std::string probe_error = sqlite3_errmsg(db);
  sqlite3_finalize(probe);
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    return dbc.ServerError("08001", -1013,
                           "Database " + database +
                               " holds no readable "
                               "system catalog (" +
                               probe_error + ").");
  }
  if (!Authorised(db, user, password)) {
    sqlite3_close(db);
    return dbc.ServerError(
        "28000", -1020,
        "Login refused for user " + user + ": unknown user or wrong password.");
  }
  // Every server has its system-master database; without it nothing about
  // the server (its version, its page size) can be answered.
  std::string attach_error;
  if (!IsRegularFile(sysmaster)) {
    attach_error = "no such file";
  } else {
    sqlite3_stmt* attach = nullptr;
    rc = sqlite3_prepare_v2(db, "ATTACH DATABASE ? AS sysmaster", -1, &attach,
                            nullptr);
    if (rc == SQLITE_OK) {
      sqlite3_bind_text(attach, 1, sysmaster.c_str(), -1, SQLITE_TRANSIENT);
      rc =
          sqlite3_step(attach) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db);
    }
    sqlite3_finalize(attach);
    // An attached file is read only when first used: a file that is not a
    // database, or is locked, shows itself here.
    if (rc == SQLITE_OK) {
      rc = sqlite3_exec(db, "SELECT count(*) FROM sysmaster.sqlite_master",
                        nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) attach_error = sqlite3_errmsg(db);
  }
  if (!attach_error.empty()) {
    sqlite3_close(db);
    return dbc.ServerError("08001", -1014,
                           "The server's system-master database " + sysmaster +
                               " cannot be used (" + attach_error + ").");
  }
  dbc.db = db;
  dbc.database = database;
  // A database given as a path is qualified by its file's name.
  std::string qualifier = database.substr(database.rfind('/') + 1);
  const std::string suffix = kDatabaseSuffix;
  if (qualifier.size() > suffix.size() &&
      qualifier.compare(qualifier.size() - suffix.size(), suffix.size(),
                        suffix) == 0) {
    qualifier.resize(qualifier.size() - suffix.size());
  }
  dbc.qualifier = qualifier;

  const std::string completed =
      tce::ConnectionStringPair("DATABASE", database) +
      tce::ConnectionStringPair("UID", user) +
      tce::ConnectionStringPair("PWD", password);
  if (out_length != nullptr) {
    *out_length =
        static_cast<SQLSMALLINT>(std::min<size_t>(completed.size(), 32767));
  }
  if (CopyOut(completed, out, out_max)) {
    dbc.Warning("01004", "String data, right truncated.");
    return SQL_SUCCESS_WITH_INFO;
  }
  return SQL_SUCCESS;
}

SQLRETURN WriteDiag(const DiagRecord& record, SQLCHAR* state,
                    SQLINTEGER* native, SQLCHAR* message, SQLSMALLINT capacity,
                    SQLSMALLINT* length) {
  if (state != nullptr) CopyOut(record.state, state, 6);
  if (native != nullptr) *native = record.native;
  if (length != nullptr) {
    *length = static_cast<SQLSMALLINT>(
        std::min<size_t>(record.message.size(), 32767));
  }
  return CopyOut(record.message, message, capacity) ? SQL_SUCCESS_WITH_INFO
                                                    : SQL_SUCCESS;
}

}  // namespace
}  // namespace tvcli

using namespace tvcli;  // NOLINT: the exported functions below only

TVCLI_EXPORT SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input,
                                              SQLHANDLE* output) {
  if (output == nullptr) return SQL_ERROR;
  *output = SQL_NULL_HANDLE;
  switch (type) {
    case SQL_HANDLE_ENV: {
      auto* env = new Env();
      Register(env);
      *output = static_cast<Handle*>(env);
      return SQL_SUCCESS;
    }
    case SQL_HANDLE_DBC: {
      Env* env = As<Env>(input, Kind::kEnv);
      if (env == nullptr) return SQL_INVALID_HANDLE;
      env->diags.clear();
      auto* dbc = new Dbc(env);
      ++env->connections;
      Register(dbc);
      *output = static_cast<Handle*>(dbc);
      return SQL_SUCCESS;
    }
    case SQL_HANDLE_STMT: {
      Dbc* dbc = As<Dbc>(input, Kind::kDbc);
      if (dbc == nullptr) return SQL_INVALID_HANDLE;
      dbc->diags.clear();
      if (!dbc->connected())
        return dbc->ClientError("08003", "Connection not open.");
      auto* stmt = new Stmt(dbc);
      Register(stmt);
      dbc->statements.insert(stmt);
      *output = static_cast<Handle*>(stmt);
      return SQL_SUCCESS;
    }
    default:
      return SQL_ERROR;
  }
}

TVCLI_EXPORT SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type,
                                             SQLHANDLE handle) {
  switch (type) {
    case SQL_HANDLE_ENV: {
      Env* env = As<Env>(handle, Kind::kEnv);
      if (env == nullptr) return SQL_INVALID_HANDLE;
      env->diags.clear();
      if (env->connections > 0) {
        return env->ClientError("HY010",
                                "Function sequence error: connection "
                                "handles are still allocated.");
      }
      Unregister(env);
      delete env;
      return SQL_SUCCESS;
    }
    case SQL_HANDLE_DBC: {
      Dbc* dbc = As<Dbc>(handle, Kind::kDbc);
      if (dbc == nullptr) return SQL_INVALID_HANDLE;
      dbc->diags.clear();
      if (dbc->connected()) {
        return dbc->ClientError("HY010",
                                "Function sequence error: the "
                                "connection is still open.");
      }
      --dbc->env->connections;
      Unregister(dbc);
      delete dbc;
      return SQL_SUCCESS;
    }
    case SQL_HANDLE_STMT: {
      Stmt* stmt = As<Stmt>(handle, Kind::kStmt);
      if (stmt == nullptr) return SQL_INVALID_HANDLE;
      FreeStatement(stmt);
      return SQL_SUCCESS;
    }
    default:
      return SQL_ERROR;
  }
}

TVCLI_EXPORT SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV handle,
                                             SQLINTEGER attribute,
                                             SQLPOINTER value, SQLINTEGER) {
  Env* env = As<Env>(handle, Kind::kEnv);
  if (env == nullptr) return SQL_INVALID_HANDLE;
  env->diags.clear();
  if (attribute == SQL_ATTR_ODBC_VERSION) {
    env->odbc_version =
        static_cast<SQLINTEGER>(reinterpret_cast<intptr_t>(value));
  }
  return SQL_SUCCESS;
}

TVCLI_EXPORT SQLRETURN SQL_API SQLDriverConnect(
    SQLHDBC handle, SQLHWND, SQLCHAR* in, SQLSMALLINT in_length, SQLCHAR* out,
    SQLSMALLINT out_max, SQLSMALLINT* out_length, SQLUSMALLINT completion) {
  Dbc* dbc = As<Dbc>(handle, Kind::kDbc);
  if (dbc == nullptr) return SQL_INVALID_HANDLE;
  dbc->diags.clear();
  if (dbc->connected()) {
    return dbc->ClientError("08002", "Connection name in use.");
  }
  if (in == nullptr)
    return dbc->ClientError("HY009", "Invalid use of null pointer.");
  if (in_length < 0 && in_length != SQL_NTS) {
    return dbc->ClientError("HY090", "Invalid string or buffer length.");
  }
  if (completion > SQL_DRIVER_COMPLETE_REQUIRED) {
    return dbc->ClientError("HY110", "Invalid driver completion.");
  }
  // This driver has no dialog: prompting completes from the string alone.
  return Connect(*dbc, Text(in, in_length), out, out_max, out_length);
}

TVCLI_EXPORT SQLRETURN SQL_API SQLDisconnect(SQLHDBC handle) {
  Dbc* dbc = As<Dbc>(handle, Kind::kDbc);
  if (dbc == nullptr) return SQL_INVALID_HANDLE;
  dbc->diags.clear();
  if (!dbc->connected())
    return dbc->ClientError("08003", "Connection not open.");
  while (!dbc->statements.empty()) FreeStatement(*dbc->statements.begin());
  sqlite3_close(dbc->db);
  dbc->db = nullptr;
  return SQL_SUCCESS;
}

TVCLI_EXPORT SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT handle, SQLINTEGER,
                                              SQLPOINTER, SQLINTEGER) {
  Stmt* stmt = As<Stmt>(handle, Kind::kStmt);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  stmt->diags.clear();
  // Escape scanning and the other statement options do not change how this
  // driver runs a statement.
  return SQL_SUCCESS;
}

TVCLI_EXPORT SQLRETURN SQL_API SQLPrepare(SQLHSTMT handle, SQLCHAR* text,
                                          SQLINTEGER length) {
  Stmt* stmt = As<Stmt>(handle, Kind::kStmt);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  stmt->diags.clear();
  if (text == nullptr)
    return stmt->ClientError("HY009", "Invalid use of null pointer.");
  if (length < 0 && length != SQL_NTS) {
    return stmt->ClientError("HY090", "Invalid string or buffer length.");
  }
  // Preparation is deferred: the server sees the statement at SQLExecute,
  // which reports any error in it.
  stmt->CloseCursor();
  stmt->sql = TranslateStatement(Text(text, length), stmt->dbc->qualifier);
  stmt->prepared = true;
  return SQL_SUCCESS;
}

TVCLI_EXPORT SQLRETURN SQL_API SQLExecute(SQLHSTMT handle) {
  Stmt* stmt = As<Stmt>(handle, Kind::kStmt);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  stmt->diags.clear();
  if (!stmt->prepared)
    return stmt->ClientError("HY010", "Function sequence error.");
  if (!Compile(*stmt)) return SQL_ERROR;
  const int rc = sqlite3_step(stmt->vm);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
    SqliteError(*stmt, stmt->dbc->db, rc);
    stmt->CloseCursor();
    return SQL_ERROR;
  }
  stmt->executed = true;
  stmt->row_pending = rc == SQLITE_ROW;
  stmt->done = rc == SQLITE_DONE;
  DescribeColumns(*stmt, stmt->row_pending);
  return SQL_SUCCESS;
}

TVCLI_EXPORT SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT handle,
                                                SQLSMALLINT* count) {
  Stmt* stmt = As<Stmt>(handle, Kind::kStmt);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  stmt->diags.clear();
  if (count == nullptr)
    return stmt->ClientError("HY009", "Invalid use of null pointer.");
  if (!stmt->executed) {
    if (!stmt->prepared)
      return stmt->ClientError("HY010", "Function sequence error.");
    if (!Compile(*stmt)) return SQL_ERROR;
    DescribeColumns(*stmt, false);
  }
  *count = static_cast<SQLSMALLINT>(stmt->columns.size());
  return SQL_SUCCESS;
}

TVCLI_EXPORT SQLRETURN SQL_API SQLDescribeCol(
    SQLHSTMT handle, SQLUSMALLINT column, SQLCHAR* name, SQLSMALLINT name_max,
    SQLSMALLINT* name_length, SQLSMALLINT* type, SQLULEN* size,
    SQLSMALLINT* digits, SQLSMALLINT* nullable) {
  Stmt* stmt = As<Stmt>(handle, Kind::kStmt);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  stmt->diags.clear();
  if (!stmt->executed && stmt->vm == nullptr) {
    if (!stmt->prepared)
      return stmt->ClientError("HY010", "Function sequence error.");
    if (!Compile(*stmt)) return SQL_ERROR;
    DescribeColumns(*stmt, false);
  }
  if (column < 1 || column > stmt->columns.size()) {
    return stmt->ClientError("07009", "Invalid descriptor index.");
  }
  const ColumnInfo& info = stmt->columns[column - 1];
  if (name_length != nullptr)
    *name_length = static_cast<SQLSMALLINT>(info.name.size());
  if (type != nullptr) *type = info.type;
  if (size != nullptr) *size = info.size;
  if (digits != nullptr) *digits = info.digits;
  if (nullable != nullptr) *nullable = SQL_NULLABLE_UNKNOWN;
  if (CopyOut(info.name, name, name_max)) {
    stmt->Warning("01004", "String data, right truncated.");
    return SQL_SUCCESS_WITH_INFO;
  }
  return SQL_SUCCESS;
}

TVCLI_EXPORT SQLRETURN SQL_API SQLBindCol(SQLHSTMT handle, SQLUSMALLINT column,
                                          SQLSMALLINT target, SQLPOINTER buffer,
                                          SQLLEN length, SQLLEN* indicator) {
  Stmt* stmt = As<Stmt>(handle, Kind::kStmt);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  stmt->diags.clear();
  if (column < 1) {
    return stmt->ClientError("07009",
                             "Invalid descriptor index: bookmarks are "
                             "not supported.");
  }
  if (stmt->executed && column > stmt->columns.size()) {
    return stmt->ClientError("07009", "Invalid descriptor index.");
  }
  if (buffer != nullptr && target != SQL_C_CHAR && target != SQL_C_DEFAULT) {
    return stmt->ClientError("HY003",
                             "Program type out of range: only "
                             "character data is delivered.");
  }
  if (length < 0)
    return stmt->ClientError("HY090", "Invalid string or buffer length.");
  if (stmt->bindings.size() < column) stmt->bindings.resize(column);
  stmt->bindings[column - 1] = buffer == nullptr
                                   ? Binding{}
                                   : Binding{target, buffer, length, indicator};
  return SQL_SUCCESS;
}

TVCLI_EXPORT SQLRETURN SQL_API SQLFetch(SQLHSTMT handle) {
  Stmt* stmt = As<Stmt>(handle, Kind::kStmt);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  if (!stmt->diags.empty()) stmt->diags.clear();
  if (!stmt->executed)
    return stmt->ClientError("24000", "Invalid cursor state.");
  if (!stmt->row_pending) {
    if (stmt->done) return SQL_NO_DATA;
    const int rc = sqlite3_step(stmt->vm);
    if (rc == SQLITE_DONE) {
      stmt->done = true;
      return SQL_NO_DATA;
    }
    if (rc != SQLITE_ROW) {
      stmt->done = true;
      return SqliteError(*stmt, stmt->dbc->db, rc);
    }
  }
  stmt->row_pending = false;
  bool truncated = false;
  const size_t columns = std::min(stmt->bindings.size(), stmt->columns.size());
  for (size_t i = 0; i < columns; ++i) {
    const Binding& binding = stmt->bindings[i];
    if (binding.buffer == nullptr) continue;
    const int column = static_cast<int>(i);
    const int type = sqlite3_column_type(stmt->vm, column);
    if (type == SQLITE_NULL) {
      if (binding.indicator != nullptr) *binding.indicator = SQL_NULL_DATA;
      continue;
    }
    const size_t length = WriteValue(stmt->vm, column, type,
                                     static_cast<SQLCHAR*>(binding.buffer),
                                     binding.length, &truncated);
    if (binding.indicator != nullptr)
      *binding.indicator = static_cast<SQLLEN>(length);
  }
  if (truncated) {
    stmt->Warning("01004", "String data, right truncated.");
    return SQL_SUCCESS_WITH_INFO;
  }
  return SQL_SUCCESS;
}

TVCLI_EXPORT SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT handle,
                                           SQLUSMALLINT option) {
  Stmt* stmt = As<Stmt>(handle, Kind::kStmt);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  stmt->diags.clear();
  switch (option) {
    case SQL_CLOSE:
      stmt->CloseCursor();
      return SQL_SUCCESS;
    case SQL_DROP:
      FreeStatement(stmt);
      return SQL_SUCCESS;
    case SQL_UNBIND:
      stmt->bindings.clear();
      return SQL_SUCCESS;
    case SQL_RESET_PARAMS:
      return SQL_SUCCESS;
    default:
      return stmt->ClientError("HY092", "Invalid attribute/option identifier.");
  }
}

TVCLI_EXPORT SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle,
                                          SQLSMALLINT completion) {
  Handle* target = type == SQL_HANDLE_DBC   ? Lookup(handle, Kind::kDbc)
                   : type == SQL_HANDLE_ENV ? Lookup(handle, Kind::kEnv)
                                            : nullptr;
  if (target == nullptr) return SQL_INVALID_HANDLE;
  target->diags.clear();
  if (completion != SQL_COMMIT && completion != SQL_ROLLBACK) {
    return target->ClientError("HY012", "Invalid transaction operation code.");
  }
  return SQL_SUCCESS;  // the catalog is only read: nothing to commit
}

TVCLI_EXPORT SQLRETURN SQL_API SQLError(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt,
                                        SQLCHAR* state, SQLINTEGER* native,
                                        SQLCHAR* message, SQLSMALLINT capacity,
                                        SQLSMALLINT* length) {
  Handle* handle = stmt != SQL_NULL_HSTMT ? Lookup(stmt, Kind::kStmt)
                   : dbc != SQL_NULL_HDBC ? Lookup(dbc, Kind::kDbc)
                                          : Lookup(env, Kind::kEnv);
  if (handle == nullptr) return SQL_INVALID_HANDLE;
  if (handle->diags.empty()) return SQL_NO_DATA;
  const DiagRecord record = handle->diags.front();
  handle->diags.pop_front();
  return WriteDiag(record, state, native, message, capacity, length);
}

TVCLI_EXPORT SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle,
                                             SQLSMALLINT record, SQLCHAR* state,
                                             SQLINTEGER* native,
                                             SQLCHAR* message,
                                             SQLSMALLINT capacity,
                                             SQLSMALLINT* length) {
  const Kind kind = type == SQL_HANDLE_ENV   ? Kind::kEnv
                    : type == SQL_HANDLE_DBC ? Kind::kDbc
                                             : Kind::kStmt;
  if (type != SQL_HANDLE_ENV && type != SQL_HANDLE_DBC &&
      type != SQL_HANDLE_STMT) {
    return SQL_INVALID_HANDLE;
  }
  Handle* target = Lookup(handle, kind);
  if (target == nullptr) return SQL_INVALID_HANDLE;
  if (record < 1 || capacity < 0) return SQL_ERROR;
  if (static_cast<size_t>(record) > target->diags.size()) return SQL_NO_DATA;
  return WriteDiag(target->diags[record - 1], state, native, message, capacity,
                   length);
}
