#include "server_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "build_signals.h"
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

// What a signal removes: every file a build may make in its scratch folder
// (SQLite's journal of each database file among them), then the folder.
std::vector<std::string> ScratchPaths(const std::string& scratch,
                                      const std::vector<std::string>& files) {
  std::vector<std::string> paths = {scratch + "/" + kMarkFile};
  for (const std::string& file : files) {
    paths.push_back(scratch + "/" + file);
    paths.push_back(scratch + "/" + file + "-journal");
  }
  paths.push_back(scratch);
  return paths;
}

// Writes the server's files into `folder`, which is new and empty.
bool WriteServerFiles(const ServerDefinition& server, const std::string& folder,
                      const WriteOptions& options, std::string* error) {
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
    if (options.after_database) options.after_database(database.name);
  }
  return true;
}

mode_t CurrentUmask() {
  // The umask is read by setting it; the tool runs on one thread.
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// Whether this process may give a file the owner and group of `folder`:
// root may; the folder's owner may, but only with one of their own groups.
bool MayGiveOwner(const struct stat& folder) {
  return geteuid() == 0 || geteuid() == folder.st_uid;
}

// Gives the scratch folder the mode, owner and group of the folder it
// replaces, or what the umask leaves a new folder. Done before any file is
// written in it, so that a setgid folder's group passes to the files.
bool PrepareFolder(const std::string& scratch, const TargetState& target,
                   mode_t mask, std::string* error) {
  mode_t mode = 0777 & ~mask;
  if (target.kind != TargetKind::kAbsent) {
    const struct stat& old = target.info;
    if (MayGiveOwner(old) &&
        chown(scratch.c_str(), old.st_uid, old.st_gid) != 0 && errno != EPERM) {
      *error = SystemError(scratch);
      return false;
    }
    mode = old.st_mode & 07777;
  }
  if (chmod(scratch.c_str(), mode) != 0) {
    *error = SystemError(scratch);
    return false;
  }
  return true;
}

// The files get what the umask leaves of 0666 (SQLite makes them 0644) and,
// when root rebuilds someone's server, its owner and group.
bool FinishFiles(const std::string& scratch, std::vector<std::string> files,
                 const TargetState& target, mode_t mask, std::string* error) {
  files.push_back(kMarkFile);
  const bool give = target.kind != TargetKind::kAbsent && geteuid() == 0;
  for (const std::string& file : files) {
    const std::string path = scratch + "/" + file;
    if (chmod(path.c_str(), 0666 & ~mask) != 0 ||
        (give &&
         chown(path.c_str(), target.info.st_uid, target.info.st_gid) != 0 &&
         errno != EPERM)) {
      *error = SystemError(path);
      return false;
    }
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
                        const WriteOptions& options, std::string* error) {
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
  BuildSignals signals(options.clean_up_on_signals);
  signals.Hold();
  std::string scratch = target + ".building-XXXXXX";
  if (mkdtemp(scratch.data()) == nullptr) {
    *error = SystemError(scratch);
    return WriteStatus::kFailed;
  }
  const std::vector<std::string> files = ServerFiles(server);
  signals.Watch(ScratchPaths(scratch, files));
  signals.Release();
  const mode_t mask = CurrentUmask();
  const bool built = PrepareFolder(scratch, state, mask, error) &&
                     WriteServerFiles(server, scratch, options, error) &&
                     WriteMark(scratch, files, error) &&
                     FinishFiles(scratch, files, state, mask, error);
  signals.Hold();
  const WriteStatus status = built
                                 ? PutInPlace(scratch, target, directory, error)
                                 : WriteStatus::kFailed;
  if (status != WriteStatus::kBuilt) fs::remove_all(scratch, ignored);
  return status;
}

}  // namespace tce::catalogs
