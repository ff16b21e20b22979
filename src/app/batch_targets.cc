#include "app/batch_targets.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "base/text_util.h"
#include "db/server_catalog.h"

namespace tce {
namespace {

// What makes two targets one database: the file they reach (device and
// inode) when it can be found, else the server and the name in capitals.
std::string KeyOf(const DatabaseTarget& target) {
  std::string path;
  if (target.database.find('/') != std::string::npos) {
    path = target.database;
  } else if (!target.server.empty()) {
    path = target.server + "/" + target.database + ".db";
  }
  struct stat info {};
  if (!path.empty() && stat(path.c_str(), &info) == 0) {
    return "file " + std::to_string(info.st_dev) + ":" +
           std::to_string(info.st_ino);
  }
  if (!path.empty()) {
    std::error_code ignored;
    return "path " + std::filesystem::absolute(path, ignored)
                         .lexically_normal()
                         .string();
  }
  return "name " + target.server + "\n" + ToUpperAscii(target.database);
}

void AddOnce(DatabaseTarget target, std::vector<DatabaseTarget>* targets,
             std::vector<std::string>* keys) {
  const std::string key = KeyOf(target);
  for (size_t i = 0; i < keys->size(); ++i) {
    if ((*keys)[i] != key) continue;
    std::fprintf(stderr,
                 "tarvex-compest-batch: %s is the database %s already named; "
                 "it is estimated once.\n",
                 Printable(target.name).c_str(),
                 Printable((*targets)[i].name).c_str());
    return;
  }
  keys->push_back(key);
  targets->push_back(std::move(target));
}

// The server folder a database given by its path belongs to; empty for a
// name, which is one of the driver's default server.
std::string ServerOf(const std::string& database) {
  if (database.find('/') == std::string::npos) return {};
  std::error_code code;
  return std::filesystem::absolute(database, code)
      .parent_path()
      .lexically_normal()
      .string();
}

Status ListedDatabases(const BatchOptions& options, Services& services,
                       const std::string& password,
                       std::vector<DatabaseTarget>* listed,
                       bool* connect_failed) {
  Status status = services.connection.Connect(options.database, options.user,
                                              password, nullptr);
  if (!status.ok()) {
    *connect_failed = true;
    return status;
  }
  std::vector<std::string> names;
  status = ListDatabases(services.connection, &names);
  services.connection.Disconnect();
  if (!status.ok()) {
    status.AddMessage("The server of " + Printable(options.database) +
                      " does not list its databases.");
    return status;
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) {
              return ToUpperAscii(a) < ToUpperAscii(b);
            });
  // A name the server lists is opened inside its folder, never as a path.
  const std::string server = ServerOf(options.database);
  for (const std::string& name : names) {
    DatabaseTarget target{name, name, server, {}};
    if (!IsDatabaseName(name)) {
      target.refused = "the server lists \"" + Printable(name) +
                       "\", which is not a database name (letters, digits "
                       "and underscores, starting with a letter); it is "
                       "not opened";
    }
    listed->push_back(std::move(target));
  }
  return Status();
}

}  // namespace

Status ChooseDatabases(const BatchOptions& options, Services& services,
                       const std::string& password,
                       std::vector<DatabaseTarget>* targets,
                       bool* connect_failed) {
  *connect_failed = false;
  std::vector<std::string> keys;
  if (options.all_databases) {
    std::vector<DatabaseTarget> listed;
    const Status status = ListedDatabases(options, services, password,
                                          &listed, connect_failed);
    if (!status.ok()) return status;
    for (DatabaseTarget& target : listed) AddOnce(std::move(target), targets, &keys);
  }
  for (size_t i = options.all_databases ? 1 : 0; i < options.databases.size();
       ++i) {
    const std::string& name = options.databases[i];
    AddOnce({name, name, "", {}}, targets, &keys);
  }
  return Status();
}

}  // namespace tce
