// What the files of the driver's exported functions share: text in and out
// of application buffers, SQLite failures worded as a server words them,
// and the statement machinery behind SQLExecute, SQLFetch and SQLGetData.
#ifndef TVCLI_API_INTERNAL_H_
#define TVCLI_API_INTERNAL_H_

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <string>

#include "handles.h"

#define TVCLI_EXPORT extern "C" __attribute__((visibility("default")))

namespace tvcli {

// Text from an application argument of `length` bytes, or SQL_NTS.
std::string Text(const SQLCHAR* text, SQLINTEGER length);

// Copies text into an application buffer of `capacity` bytes, cut to fit
// and zero-terminated. Returns true when it was cut (never without a
// buffer: then only its length was asked for).
bool CopyOut(const std::string& text, SQLCHAR* buffer, SQLLEN capacity);

// Copies a text attribute out and stores its full length in `length` (if
// given); records 01004 and returns SQL_SUCCESS_WITH_INFO when it was cut.
SQLRETURN TextAttribute(Handle& handle, const std::string& text,
                        SQLPOINTER buffer, SQLLEN capacity, SQLLEN* length);

// Runs one exported call on a live handle of the kind: the calls on the
// handle's connection are held off meanwhile, its diagnostics are cleared
// first, and what the call returns is kept for SQL_DIAG_RETURNCODE. A
// handle that is not one, or was freed while the call waited, answers
// SQL_INVALID_HANDLE. The body may free the handle (its memory stays until
// the call has returned) but must look up no other.
template <typename T, typename Body>
SQLRETURN Call(void* handle, Kind kind, Body body) {
  std::shared_ptr<Handle> pin;  // released after the lock
  T* live = As<T>(handle, kind, pin);
  if (live == nullptr) return SQL_INVALID_HANDLE;
  std::lock_guard<std::recursive_mutex> lock(live->Mutex());
  if (live->freed) return SQL_INVALID_HANDLE;
  if (!live->diags.empty()) live->diags.clear();
  const SQLRETURN rc = body(*live);
  live->last_rc = rc;
  return rc;
}

// Records an SQLite failure as the server would word it; SQL_ERROR.
SQLRETURN SqliteError(Handle& handle, sqlite3* db, int rc);

// Connects `dbc` from a connection string (keys DSN, DATABASE or DB, UID,
// PWD) and writes the completed string to `out`.
SQLRETURN Connect(Dbc& dbc, const std::string& connection_string,
                  SQLCHAR* out, SQLSMALLINT out_max, SQLSMALLINT* out_length);

// Sets the statement's text, translated to SQLite's dialect.
void PrepareStatement(Stmt& stmt, const std::string& text);
// Runs the prepared statement up to its first row.
SQLRETURN ExecuteStatement(Stmt& stmt);
// Compiles the statement without running it, to describe its columns.
SQLRETURN DescribeUnexecuted(Stmt& stmt);
// Steps to the next row and delivers the bound columns.
SQLRETURN FetchRow(Stmt& stmt);
// One column of the current row into an application buffer, in parts for
// text that does not fit.
SQLRETURN GetColumnData(Stmt& stmt, SQLUSMALLINT column, SQLSMALLINT target,
                        SQLPOINTER buffer, SQLLEN capacity, SQLLEN* indicator);

// Closes the statement's cursor, marks it freed and takes it out of its
// connection and the registry; its connection's mutex is held.
void FreeStatement(Stmt* stmt);

}  // namespace tvcli

#endif  // TVCLI_API_INTERNAL_H_
