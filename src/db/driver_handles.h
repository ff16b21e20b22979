// The three driver handles the program keeps, the last driver result, and
// the routines that allocate and free them.
#ifndef TCE_DB_DRIVER_HANDLES_H_
#define TCE_DB_DRIVER_HANDLES_H_

#include <sql.h>

#include <cstdint>

#include "db/cli_library.h"

namespace tce {

class DriverHandles {
 public:
  explicit DriverHandles(CliLibrary& library) : library_(library) {}

  // Each returns the driver's result unchanged and stores only the handle
  // it allocates. A second allocation overwrites the remembered handle.
  // AllocEnvironment also declares ODBC 3 behaviour when the library
  // exports SQLSetEnvAttr, which driver managers require before a
  // connection handle can be allocated.
  SQLRETURN AllocEnvironment();
  SQLRETURN AllocConnection();
  SQLRETURN AllocStatement();
  SQLRETURN FreeConnection();
  SQLRETURN FreeEnvironment();

  CliLibrary& library() { return library_; }

  SQLHENV EnvironmentHandle = SQL_NULL_HENV;
  SQLHDBC ConnectionHandle = SQL_NULL_HDBC;
  SQLHSTMT StatementHandle = SQL_NULL_HSTMT;
  // The result of the last driver call that the callers chose to record.
  int32_t LastResultCode = 0;

 private:
  CliLibrary& library_;
};

}  // namespace tce

#endif  // TCE_DB_DRIVER_HANDLES_H_
