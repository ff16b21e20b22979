// The driver's result codes, as the database layer reads them; the status
// value itself is the base layer's.
#ifndef TCE_DB_STATUS_H_
#define TCE_DB_STATUS_H_

#include <sql.h>

#include <string>

#include "base/status.h"

namespace tce {

// The ODBC rule: SQL_SUCCESS and SQL_SUCCESS_WITH_INFO succeed; anything
// else fails (SQL_NO_DATA ends a result only where a fetch returns it).
inline bool Succeeded(SQLRETURN rc) {
  return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

}  // namespace tce

#endif  // TCE_DB_STATUS_H_
