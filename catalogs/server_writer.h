// Writes a server definition out as a server folder for the embedded
// driver. The server is built in a scratch folder beside the target
// (TARGET.building-XXXXXX) and put in place whole, so that a build that
// fails or is stopped leaves the target as it was and nothing behind. Only
// an absent target, an empty folder or a server folder this tool wrote is
// replaced (see server_folder.h).
#ifndef TCE_CATALOGS_SERVER_WRITER_H_
#define TCE_CATALOGS_SERVER_WRITER_H_

#include <functional>
#include <string>

#include "catalog_definition.h"

namespace tce::catalogs {

enum class WriteStatus {
  kBuilt,
  kRefused,  // the target is not the tool's to replace; it is untouched
  kFailed,
};

struct WriteOptions {
  // SIGINT, SIGTERM and SIGHUP during the build remove the scratch folder,
  // then end the process as they would have.
  bool clean_up_on_signals = false;
  // Called after each database file is written, with the database's name.
  std::function<void(const std::string&)> after_database;
};

// A new server folder gets the mode the umask leaves of 0777, its files of
// 0666; a replaced folder's mode, owner and group pass to the new one (the
// owner and group where the user may give them). `error` says why when the
// server is not built, and may hold a warning when it is.
WriteStatus WriteServer(const ServerDefinition& server,
                        const std::string& directory,
                        const WriteOptions& options, std::string* error);

}  // namespace tce::catalogs

#endif  // TCE_CATALOGS_SERVER_WRITER_H_
