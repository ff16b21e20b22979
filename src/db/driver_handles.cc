#include "db/driver_handles.h"

#include <sqlext.h>

namespace tce {

SQLRETURN DriverHandles::AllocEnvironment() {
  const SQLRETURN rc =
      library_.AllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &EnvironmentHandle);
  if (rc == SQL_SUCCESS && library_.Exports("SQLSetEnvAttr")) {
    library_.SetEnvAttr(EnvironmentHandle, SQL_ATTR_ODBC_VERSION,
                        reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  }
  return rc;
}

SQLRETURN DriverHandles::AllocConnection() {
  return library_.AllocHandle(SQL_HANDLE_DBC, EnvironmentHandle,
                              &ConnectionHandle);
}

SQLRETURN DriverHandles::AllocStatement() {
  return library_.AllocHandle(SQL_HANDLE_STMT, ConnectionHandle,
                              &StatementHandle);
}

SQLRETURN DriverHandles::FreeConnection() {
  return library_.FreeHandle(SQL_HANDLE_DBC, ConnectionHandle);
}

SQLRETURN DriverHandles::FreeEnvironment() {
  return library_.FreeHandle(SQL_HANDLE_ENV, EnvironmentHandle);
}

}  // namespace tce
