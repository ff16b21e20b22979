// What the server says of itself beyond one database: the databases it
// lists (sysmaster's sysdatabases).
#ifndef TCE_DB_SERVER_CATALOG_H_
#define TCE_DB_SERVER_CATALOG_H_

#include <string>
#include <vector>

#include "base/status.h"
#include "db/connection.h"

namespace tce {

// The names of the databases the server of `connection` lists, as it
// lists them (empty names left out).
Status ListDatabases(Connection& connection, std::vector<std::string>* names);

}  // namespace tce

#endif  // TCE_DB_SERVER_CATALOG_H_
