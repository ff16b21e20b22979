// Reads the server's version and chooses the page-size expression of the
// catalog query: the per-table column T.PAGESIZE, or for the two older
// versions the server-wide page size as a number.
#ifndef TCE_DB_SERVER_PROBE_H_
#define TCE_DB_SERVER_PROBE_H_

#include <string>

#include "db/statement.h"
#include "base/debug_log.h"

namespace tce {

// "T.PAGESIZE", the server-wide page size's text, or empty when the probe
// fails (after showing why).
std::string ProbeServer(StatementLayer& statements, const Reporter& reporter);

}  // namespace tce

#endif  // TCE_DB_SERVER_PROBE_H_
