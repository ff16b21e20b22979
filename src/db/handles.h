// Driver handles as owners: each CliHandle frees its handle when it goes
// (or when Free is called), on every path, and is never copied; a freed
// handle is null and is never passed to the driver again.
#ifndef TCE_DB_HANDLES_H_
#define TCE_DB_HANDLES_H_

#include <sql.h>

#include "db/cli_library.h"
#include "db/status.h"

namespace tce {

// Reads the driver's diagnostic for a failed call on the innermost of the
// handles given (the others may be null), and strips the three bracketed
// prefixes of its text. When the driver gives nothing, the diagnostic is
// empty.
Diagnostic ReadDiagnostic(CliLibrary& library, SQLHENV env, SQLHDBC dbc,
                          SQLHSTMT stmt);

// The status of a failed call: the loader's failure when the library or the
// function could not be had, otherwise the driver's diagnostic read from
// the handles given.
Status CallFailure(CliLibrary& library, const char* call, SQLRETURN rc,
                   SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt);

class CliHandle {
 public:
  CliHandle() = default;
  ~CliHandle() { Free(); }
  CliHandle(CliHandle&& other) noexcept { *this = std::move(other); }
  CliHandle& operator=(CliHandle&& other) noexcept;
  CliHandle(const CliHandle&) = delete;
  CliHandle& operator=(const CliHandle&) = delete;

  // Allocates a handle of `type` (SQL_HANDLE_ENV, _DBC or _STMT) under
  // `parent` (null for an environment); `env` and `dbc` are the handles to
  // read a failure's diagnostic from. On failure `out` owns nothing.
  static Status Allocate(CliLibrary& library, SQLSMALLINT type,
                         SQLHANDLE parent, SQLHENV env, SQLHDBC dbc,
                         CliHandle& out);

  SQLHANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }

  // Frees the handle now; a statement is dropped with SQLFreeStmt. Calling
  // it again does nothing. A failing free is not retried: there is nothing
  // else the program could do with the handle.
  void Free();
  // Forgets the handle without freeing it: its parent's release has freed
  // it already (a disconnect drops the connection's statements).
  void Release() { handle_ = SQL_NULL_HANDLE; }

 private:
  CliLibrary* library_ = nullptr;
  SQLSMALLINT type_ = 0;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

}  // namespace tce

#endif  // TCE_DB_HANDLES_H_
