// Writes a server definition out as a server folder for the embedded
// driver.
#ifndef TCE_CATALOGS_SERVER_WRITER_H_
#define TCE_CATALOGS_SERVER_WRITER_H_

#include <string>

#include "catalog_definition.h"

namespace tce::catalogs {

// Writes the server directory; false with `error` set when it cannot.
bool WriteServer(const ServerDefinition& server, const std::string& directory,
                 std::string* error);

}  // namespace tce::catalogs

#endif  // TCE_CATALOGS_SERVER_WRITER_H_
