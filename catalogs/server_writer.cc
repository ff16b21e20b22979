#include "server_writer.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "catalog_builder.h"

namespace tce::catalogs {
namespace {

// Writes the server's files into `directory`, which is new and empty.
bool WriteServerFiles(const ServerDefinition& server,
                      const std::string& directory, std::string* error) {
  if (!tvcli::CreateServer(directory, server.version, server.page_size,
                           error)) {
    return false;
  }
  for (const DatabaseDefinition& database : server.databases) {
    tvcli::DatabaseBuilder builder(directory + "/" + database.name + ".db");
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

}  // namespace

bool WriteServer(const ServerDefinition& server, const std::string& directory,
                 std::string* error) {
  namespace fs = std::filesystem;
  // Built beside the target and put in place whole, so that a failed build
  // leaves the target as it was and nothing half-built behind.
  fs::path target = fs::path(directory).lexically_normal();
  if (target.filename().empty()) target = target.parent_path();
  std::error_code code;
  fs::create_directories(target.parent_path().empty() ? "." : target.parent_path(),
                         code);
  std::string building = target.string() + ".building-XXXXXX";
  if (mkdtemp(building.data()) == nullptr) {
    *error = building + ": " + std::strerror(errno);
    return false;
  }
  const std::string replaced = building + ".old";
  bool ok = WriteServerFiles(server, building, error);
  if (ok && fs::exists(target, code)) {
    fs::rename(target, replaced, code);
    if (code) *error = target.string() + ": " + code.message();
    ok = !code;
  }
  if (ok) {
    fs::rename(building, target, code);
    if (code) {
      *error = target.string() + ": " + code.message();
      fs::rename(replaced, target, code);  // the old server back
      ok = false;
    }
  }
  fs::remove_all(ok ? replaced : building, code);
  return ok;
}

}  // namespace tce::catalogs
