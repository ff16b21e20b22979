#include "server_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "catalog_builder.h"
#include "server_folder.h"
#include "server_layout.h"

namespace tce::catalogs {
namespace {

namespace fs = std::filesystem;
using tvcli::kDatabaseSuffix;
using tvcli::kSysmasterFile;

std::string SystemError(const std::string& path) {
  return path + ": " + std::strerror(errno);
}

std::string Refusal(const std::string& directory, const std::string& reason) {
  return directory + " " + reason +
         "; tvserver-build replaces only an empty folder or a server folder "
         "it wrote, and left this one as it was";
}

// The database files a build writes, sysmaster.db first.
std::vector<std::string> ServerFiles(const ServerDefinition& server) {
  std::vector<std::string> files = {kSysmasterFile};
  for (const DatabaseDefinition& database : server.databases)
    files.push_back(database.name + kDatabaseSuffix);
  return files;
}

// Writes the server's files into `folder`, which is new and empty.
bool WriteServerFiles(const ServerDefinition& server, const std::string& folder,
                      std::string* error) {
  if (!tvcli::CreateServer(folder, server.version, server.page_size, error)) {
    return false;
  }
  for (const DatabaseDefinition& database : server.databases) {
    tvcli::DatabaseBuilder builder(folder + "/" + database.name +
                                   kDatabaseSuffix);
    for (const auto& [user, password] : database.users)
      builder.AddUser(user, password);
    for (const TableDefinition& table : database.tables) {
      const int tabid =
          builder.AddTable(table.owner, table.name, table.pages, table.rows,
                           table.page_size, table.type);
      for (const ColumnDefinition& column : table.columns) {
        const int colno = builder.AddColumn(
            tabid, column.name, column.type_code, column.catalog_length);
        if (!column.distribution.empty()) {
          builder.AddDistribution(tabid, colno, column.distribution);
        }
      }
    }
    if (!builder.Finish(error)) return false;
  }
  return true;
}

// Puts the built server in place of `target`, judged again first since it
// may have changed during the build. Of the folder replaced only what was
// judged to be in it is removed, then the folder; `error` warns when it
// cannot be.
WriteStatus PutInPlace(const std::string& scratch, const std::string& target,
                       const std::string& directory, std::string* error) {
  const TargetState now = JudgeTarget(target);
  if (now.kind == TargetKind::kRefused) {
    *error = Refusal(directory, now.reason);
    return WriteStatus::kRefused;
  }
  const bool replaces = now.kind != TargetKind::kAbsent;
  // An empty folder of our own to rename the old server onto.
  std::string replaced = target + ".building-XXXXXX";
  if (replaces && mkdtemp(replaced.data()) == nullptr) {
    *error = SystemError(replaced);
    return WriteStatus::kFailed;
  }
  if (replaces && rename(target.c_str(), replaced.c_str()) != 0) {
    *error = SystemError(target);
    rmdir(replaced.c_str());
    return WriteStatus::kFailed;
  }
  if (rename(scratch.c_str(), target.c_str()) != 0) {
    *error = SystemError(target);
    if (replaces) rename(replaced.c_str(), target.c_str());
    return WriteStatus::kFailed;
  }
  if (replaces) {
    for (const std::string& entry : now.entries)
      unlink((replaced + "/" + entry).c_str());
    if (rmdir(replaced.c_str()) != 0) {
      *error = "the replaced server is left in " + SystemError(replaced);
    }
  }
  return WriteStatus::kBuilt;
}

}  // namespace

WriteStatus WriteServer(const ServerDefinition& server,
                        const std::string& directory,
                        std::string* error) {
  // Absolute, so that "." or "dir/.." name the folder itself.
  std::error_code ignored;
  fs::path normal = fs::absolute(directory, ignored).lexically_normal();
  if (normal.filename().empty()) normal = normal.parent_path();
  const std::string target = normal.string();
  const TargetState state = JudgeTarget(target);
  if (state.kind == TargetKind::kRefused) {
    *error = Refusal(directory, state.reason);
    return WriteStatus::kRefused;
  }
  fs::create_directories(normal.parent_path(), ignored);
  std::string scratch = target + ".building-XXXXXX";
  if (mkdtemp(scratch.data()) == nullptr) {
    *error = SystemError(scratch);
    return WriteStatus::kFailed;
  }
  const std::vector<std::string> files = ServerFiles(server);
  const WriteStatus status =
      WriteServerFiles(server, scratch, error) &&
              WriteMark(scratch, files, error)
          ? PutInPlace(scratch, target, directory, error)
          : WriteStatus::kFailed;
  if (status != WriteStatus::kBuilt) fs::remove_all(scratch, ignored);
  return status;
}

}  // namespace tce::catalogs
