// Reads the server's version and chooses the page-size expression of the
// catalog query: the per-table column T.PAGESIZE, or for the two older
// versions the server-wide page size as a number.
#ifndef TCE_DB_SERVER_PROBE_H_
#define TCE_DB_SERVER_PROBE_H_

#include <string>

#include "db/connection.h"
#include "db/status.h"

namespace tce {

struct ProbeResult {
  Status status;           // why the probe failed, with the message to show
  std::string expression;  // "T.PAGESIZE" or the page size; empty on failure
  std::string version;     // the server's version, once read
};

// Runs the version query and, for versions 7.31 and 9.40, the page-size
// query. A server-wide page size is accepted only as a positive whole
// number; anything else fails the probe with a message naming the value.
ProbeResult ProbeServer(Connection& connection);

}  // namespace tce

#endif  // TCE_DB_SERVER_PROBE_H_
