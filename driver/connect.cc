// Opening a database of a server directory: the connection string (and the
// data source it names) resolved to a catalog file, the user checked, the
// server's system-master database attached.
#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "api_internal.h"
#include "base/connection_string.h"
#include "base/text_util.h"
#include "server_layout.h"
#include "sha256.h"

namespace tvcli {
namespace {

constexpr int kBusyTimeoutMs = 2000;

// The folder of the default server, beside this library.
std::string DefaultServerDirectory() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&DefaultServerDirectory), &info) == 0 ||
      info.dli_fname == nullptr) {
    return kDefaultServerDir;
  }
  std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  path = slash == std::string::npos ? "." : path.substr(0, slash);
  // Beside the driver in the build tree; once installed the driver is in
  // <prefix>/lib/tarvex-compest and the servers in <prefix>/share.
  const std::string beside = path + "/" + kDefaultServerDir;
  const std::string installed =
      path + "/../../share/tarvex-compest/" + kDefaultServerDir;
  struct stat dir;
  if (stat(beside.c_str(), &dir) != 0 && stat(installed.c_str(), &dir) == 0 &&
      S_ISDIR(dir.st_mode)) {
    return installed;
  }
  return beside;
}

// The name of the database file in `server` whose name equals `name` but
// for case; `name` itself when there is no such file.
std::string CanonicalDatabaseName(const std::string& server,
                                  const std::string& name) {
  struct stat info;
  if (stat((server + "/" + name + kDatabaseSuffix).c_str(), &info) == 0) {
    return name;
  }
  std::error_code error;
  const std::string wanted = tce::ToUpperAscii(name + kDatabaseSuffix);
  for (const auto& entry : std::filesystem::directory_iterator(server, error)) {
    const std::string file = entry.path().filename().string();
    if (tce::ToUpperAscii(file) == wanted) {
      return file.substr(0, file.size() - std::strlen(kDatabaseSuffix));
    }
  }
  return name;
}

bool IsRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Runs a statement that returns one integer; -1 when it fails.
long long QueryInteger(sqlite3* db, const char* sql) {
  sqlite3_stmt* vm = nullptr;
  long long value = -1;
  if (sqlite3_prepare_v2(db, sql, -1, &vm, nullptr) == SQLITE_OK &&
      sqlite3_step(vm) == SQLITE_ROW) {
    value = sqlite3_column_int64(vm, 0);
  }
  sqlite3_finalize(vm);
  return value;
}

// Checks the user against the database's users, when it defines any.
bool Authorised(sqlite3* db, const std::string& user,
                const std::string& password) {
  if (QueryInteger(db,
                   "SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                   "AND name = 'sysusers'") <= 0 ||
      QueryInteger(db, "SELECT count(*) FROM sysusers") <= 0) {
    return true;
  }
  sqlite3_stmt* vm = nullptr;
  bool ok = false;
  if (sqlite3_prepare_v2(db,
                         "SELECT salt, pwhash FROM sysusers WHERE username = ?",
                         -1, &vm, nullptr) == SQLITE_OK) {
    sqlite3_bind_text(vm, 1, user.data(), static_cast<int>(user.size()),
                      SQLITE_TRANSIENT);
    if (sqlite3_step(vm) == SQLITE_ROW) {
      const char* salt =
          reinterpret_cast<const char*>(sqlite3_column_text(vm, 0));
      const char* hash =
          reinterpret_cast<const char*>(sqlite3_column_text(vm, 1));
      ok = salt != nullptr && hash != nullptr &&
           PasswordHash(salt, password) == hash;
    }
  }
  sqlite3_finalize(vm);
  return ok;
}

// The reader of odbc.ini that unixODBC's installer library provides, or
// nullptr where it is not installed. Loaded on the first data source name
// and kept: a driver linked directly by a program needs it only then.
using ProfileReader = int (*)(const char* section, const char* entry,
                              const char* fallback, char* buffer, int size,
                              const char* file);

ProfileReader FindProfileReader() {
  static const ProfileReader reader = [] {
    void* found = dlsym(RTLD_DEFAULT, "SQLGetPrivateProfileString");
    for (const char* name : {"libodbcinst.so.2", "libodbcinst.so.1"}) {
      if (found != nullptr) break;
      if (void* library = dlopen(name, RTLD_LAZY | RTLD_LOCAL))
        found = dlsym(library, "SQLGetPrivateProfileString");
    }
    return reinterpret_cast<ProfileReader>(found);
  }();
  return reader;
}

// A value of the data source's section in odbc.ini; empty without one.
std::string DataSourceValue(const std::string& source, const char* key) {
  const ProfileReader reader = FindProfileReader();
  if (reader == nullptr || source.empty()) return {};
  char value[1024] = {};
  const int length = reader(source.c_str(), key, "", value,
                            static_cast<int>(sizeof value), "odbc.ini");
  if (length <= 0) return {};
  return std::string(value, strnlen(value, sizeof value));
}

struct ConnectRequest {
  std::string source;  // the data source name, when one was given
  std::string server;  // SERVER: a server folder's path or name, or empty
  std::string database;
  std::string user;
  std::string password;
};

// The keys of the connection string, and for those it leaves out, the
// entries of the data source it names. A data source without a DATABASE
// entry names the database of its own name.
ConnectRequest ReadRequest(const std::string& connection_string) {
  auto pairs = tce::ParseConnectionString(connection_string);
  ConnectRequest request;
  request.source = pairs["DSN"];
  request.server = pairs["SERVER"];
  request.database = pairs.count("DATABASE") ? pairs["DATABASE"] : pairs["DB"];
  request.user = pairs["UID"];
  request.password = pairs["PWD"];
  if (request.source.empty()) return request;
  auto fill = [&](std::string& value, const char* key, const char* other) {
    if (!value.empty()) return;
    value = DataSourceValue(request.source, key);
    if (value.empty() && other != nullptr)
      value = DataSourceValue(request.source, other);
  };
  fill(request.server, "SERVER", nullptr);
  fill(request.database, "DATABASE", "DB");
  fill(request.user, "UID", nullptr);
  fill(request.password, "PWD", nullptr);
  if (request.database.empty()) request.database = request.source;
  return request;
}

// Where the database's catalog and its server's system-master file are.
struct CatalogFiles {
  std::string database;  // as the completed string reports it
  std::string path;
  std::string sysmaster;
  std::string server;  // the server's folder
};

// The folder of the server SERVER names: a path (it holds a "/"), the name
// of a folder beside the default server ("tvserver-940"), or the default
// server when empty.
std::string ServerDirectory(const std::string& server) {
  if (server.empty()) return DefaultServerDirectory();
  if (server.find('/') != std::string::npos) return server;
  const std::string standard = DefaultServerDirectory();
  const size_t slash = standard.rfind('/');
  return slash == std::string::npos ? server
                                    : standard.substr(0, slash + 1) + server;
}

// A database given as a path names its server's folder itself; a name is
// looked for in the server SERVER names.
CatalogFiles Locate(std::string database, const std::string& server_key) {
  if (database.find('/') != std::string::npos) {
    const size_t slash = database.rfind('/');
    return {database, database, database.substr(0, slash + 1) + kSysmasterFile,
            database.substr(0, slash)};
  }
  const std::string server = ServerDirectory(server_key);
  // Database names are not case-sensitive: the catalog's own spelling is
  // the one the completed connection string reports.
  database = CanonicalDatabaseName(server, database);
  return {database, server + "/" + database + kDatabaseSuffix,
          server + "/" + kSysmasterFile, server};
}

// The folder as an absolute path, so that it names the same server from
// anywhere.
std::string AbsoluteFolder(const std::string& folder) {
  std::error_code code;
  const std::filesystem::path absolute =
      std::filesystem::absolute(folder.empty() ? "." : folder, code);
  return code ? folder : absolute.lexically_normal().string();
}

// Opens the catalog read-only and checks that it holds a system catalog.
SQLRETURN OpenCatalog(Dbc& dbc, const CatalogFiles& files, sqlite3** out) {
  sqlite3* db = nullptr;
  // A connection is used by one thread at a time, so SQLite's own locking
  // of every call is not needed.
  int rc = sqlite3_open_v2(files.path.c_str(), &db,
                           SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    return dbc.ServerError("08001", -1012,
                           "Database " + files.database +
                               " cannot be opened (" + sqlite3_errstr(rc) +
                               ").");
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  sqlite3_exec(db, "PRAGMA query_only = 1; PRAGMA case_sensitive_like = 1;",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* probe = nullptr;
  rc = sqlite3_prepare_v2(db, "SELECT tabid FROM systables LIMIT 1", -1, &probe,
                          nullptr);
  if (rc == SQLITE_OK)
    rc = sqlite3_step(probe) == SQLITE_ROW ? SQLITE_OK : sqlite3_errcode(db);
  if (rc == SQLITE_DONE) rc = SQLITE_OK;
  const std::string probe_error = sqlite3_errmsg(db);
  sqlite3_finalize(probe);
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    return dbc.ServerError("08001", -1013,
                           "Database " + files.database +
                               " holds no readable system catalog (" +
                               probe_error + ").");
  }
  *out = db;
  return SQL_SUCCESS;
}

// Attaches the server's system-master database as "sysmaster"; the reason
// it cannot be used, or empty.
std::string AttachSysmaster(sqlite3* db, const std::string& sysmaster) {
  if (!IsRegularFile(sysmaster)) return "no such file";
  sqlite3_stmt* attach = nullptr;
  int rc = sqlite3_prepare_v2(db, "ATTACH DATABASE ? AS sysmaster", -1,
                              &attach, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_bind_text(attach, 1, sysmaster.c_str(), -1, SQLITE_TRANSIENT);
    rc = sqlite3_step(attach) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db);
  }
  sqlite3_finalize(attach);
  // An attached file is read only when first used: a file that is not a
  // database, or is locked, shows itself here.
  if (rc == SQLITE_OK) {
    rc = sqlite3_exec(db, "SELECT count(*) FROM sysmaster.sqlite_master",
                      nullptr, nullptr, nullptr);
  }
  return rc == SQLITE_OK ? std::string() : std::string(sqlite3_errmsg(db));
}

// The server version the system-master database records; empty if none.
std::string ServerVersion(sqlite3* db) {
  sqlite3_stmt* vm = nullptr;
  std::string version;
  if (sqlite3_prepare_v2(db,
                         "SELECT owner FROM sysmaster.systables "
                         "WHERE tabname = ' SMIVERSION'",
                         -1, &vm, nullptr) == SQLITE_OK &&
      sqlite3_step(vm) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(vm, 0);
    if (text != nullptr) version = reinterpret_cast<const char*>(text);
  }
  sqlite3_finalize(vm);
  return version;
}

// A database given as a path is qualified by its file's name.
std::string QualifierOf(const std::string& database) {
  std::string qualifier = database.substr(database.rfind('/') + 1);
  const std::string suffix = kDatabaseSuffix;
  if (qualifier.size() > suffix.size() &&
      qualifier.compare(qualifier.size() - suffix.size(), suffix.size(),
                        suffix) == 0) {
    qualifier.resize(qualifier.size() - suffix.size());
  }
  return qualifier;
}

}  // namespace

SQLRETURN Connect(Dbc& dbc, const std::string& connection_string,
                  SQLCHAR* out, SQLSMALLINT out_max, SQLSMALLINT* out_length) {
  const ConnectRequest request = ReadRequest(connection_string);
  if (request.database.empty()) {
    return dbc.ServerError("08001", -1010, "No database name was given.");
  }
  const CatalogFiles files = Locate(request.database, request.server);
  if (!IsRegularFile(files.path)) {
    return dbc.ServerError(
        "08001", -1011,
        "Database " + files.database + " does not exist on this server.");
  }
  sqlite3* db = nullptr;
  if (OpenCatalog(dbc, files, &db) != SQL_SUCCESS) return SQL_ERROR;
  if (!Authorised(db, request.user, request.password)) {
    sqlite3_close(db);
    return dbc.ServerError("28000", -1020,
                           "Login refused for user " + request.user +
                               ": unknown user or wrong password.");
  }
  // Every server has its system-master database; without it nothing about
  // the server (its version, its page size) can be answered.
  const std::string attach_error = AttachSysmaster(db, files.sysmaster);
  if (!attach_error.empty()) {
    sqlite3_close(db);
    return dbc.ServerError("08001", -1014,
                           "The server's system-master database " +
                               files.sysmaster + " cannot be used (" +
                               attach_error + ").");
  }
  dbc.db = db;
  dbc.database = files.database;
  dbc.qualifier = QualifierOf(files.database);
  dbc.data_source = request.source;
  dbc.user = request.user;
  dbc.server_version = ServerVersion(db);
  dbc.server = AbsoluteFolder(files.server);

  std::string completed;
  if (!request.source.empty())
    completed = tce::ConnectionStringPair("DSN", request.source);
  if (!request.server.empty())
    completed += tce::ConnectionStringPair("SERVER", request.server);
  completed += tce::ConnectionStringPair("DATABASE", files.database) +
               tce::ConnectionStringPair("UID", request.user) +
               tce::ConnectionStringPair("PWD", request.password);
  if (out_length != nullptr) {
    *out_length =
        static_cast<SQLSMALLINT>(std::min<size_t>(completed.size(), 32767));
  }
  if (CopyOut(completed, out, out_max)) {
    dbc.Warning("01004", "String data, right truncated.");
    return SQL_SUCCESS_WITH_INFO;
  }
  return SQL_SUCCESS;
}

}  // namespace tvcli
