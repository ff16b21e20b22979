#include "catalog_builder.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "server_layout.h"
#include "sha256.h"

namespace tvcli {
namespace {

// Opens a fresh SQLite file at `path`, replacing an existing one.
sqlite3* CreateFile(const std::string& path, const char* schema,
                    std::string* error) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc == SQLITE_OK) {
    rc =
        sqlite3_exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;",
                     nullptr, nullptr, nullptr);
  }
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, schema, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    *error =
        path + ": " + (db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close(db);
    return nullptr;
  }
  return db;
}

std::string RandomSalt() {
  std::random_device device;
  static const char kHex[] = "0123456789abcdef";
  std::string salt;
  for (int i = 0; i < 32; ++i) salt.push_back(kHex[device() % 16]);
  return salt;
}

}  // namespace

bool CreateServer(const std::string& directory, const std::string& version,
                  int page_size, std::string* error) {
  std::error_code code;
  std::filesystem::create_directories(directory, code);
  if (code) {
    *error = directory + ": " + code.message();
    return false;
  }
  sqlite3* db =
      CreateFile(directory + "/" + kSysmasterFile, kSysmasterSchema, error);
  if (db == nullptr) return false;
  sqlite3_stmt* insert = nullptr;
  bool ok = sqlite3_prepare_v2(db,
                               "INSERT INTO systables (owner, tabname) VALUES "
                               "(?, ' SMIVERSION'), ('tarvex', 'systables'), "
                               "('tarvex', 'sysshmvals'), "
                               "('tarvex', 'sysdatabases')",
                               -1, &insert, nullptr) == SQLITE_OK;
  if (ok) {
    sqlite3_bind_text(insert, 1, version.c_str(), -1, SQLITE_TRANSIENT);
    ok = sqlite3_step(insert) == SQLITE_DONE;
  }
  sqlite3_finalize(insert);
  if (ok) {
    const std::string sql = "INSERT INTO sysshmvals (sh_pagesize) VALUES (" +
                            std::to_string(page_size) + ")";
    ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  if (!ok) *error = directory + ": " + sqlite3_errmsg(db);
  sqlite3_close(db);
  return ok;
}

DatabaseBuilder::DatabaseBuilder(const std::string& path) : path_(path) {
  db_ = CreateFile(path, kDatabaseSchema, &error_);
  if (db_ == nullptr) return;
  auto prepare = [&](const char* sql, sqlite3_stmt** statement) {
    if (error_.empty() &&
        sqlite3_prepare_v2(db_, sql, -1, statement, nullptr) != SQLITE_OK) {
      Fail("prepare");
    }
  };
  prepare(
      "INSERT INTO systables (tabid, owner, tabname, tabtype, npused, "
      "nrows, pagesize) VALUES (?, ?, ?, ?, ?, ?, ?)",
      &insert_table_);
  prepare(
      "INSERT INTO syscolumns (tabid, colno, colname, coltype, collength) "
      "VALUES (?, ?, ?, ?, ?)",
      &insert_column_);
  prepare(
      "INSERT INTO sysdistrib (tabid, colno, seqno, encdat) VALUES "
      "(?, ?, ?, ?)",
      &insert_distribution_);
  prepare("INSERT INTO sysusers (username, salt, pwhash) VALUES (?, ?, ?)",
          &insert_user_);
  if (error_.empty() &&
      sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
    Fail("begin");
  }
}

DatabaseBuilder::~DatabaseBuilder() {
  std::string ignored;
  if (db_ != nullptr) Finish(&ignored);
}

void DatabaseBuilder::Fail(const std::string& what) {
  if (error_.empty()) {
    error_ =
        what + ": " + (db_ != nullptr ? sqlite3_errmsg(db_) : "no database");
  }
}

bool DatabaseBuilder::Run(sqlite3_stmt* statement) {
  const bool ok = sqlite3_step(statement) == SQLITE_DONE;
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  return ok;
}

int DatabaseBuilder::AddTable(const std::string& owner, const std::string& name,
                              long long pages_used, long long rows,
                              int page_size, const std::string& table_type) {
  const int tabid = next_tabid_++;
  current_tabid_ = tabid;
  next_colno_ = 1;
  if (!error_.empty()) return tabid;
  sqlite3_bind_int(insert_table_, 1, tabid);
  sqlite3_bind_text(insert_table_, 2, owner.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(insert_table_, 3, name.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(insert_table_, 4, table_type.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_int64(insert_table_, 5, pages_used);
  sqlite3_bind_int64(insert_table_, 6, rows);
  sqlite3_bind_int(insert_table_, 7, page_size);
  if (!Run(insert_table_)) Fail("table " + owner + "." + name);
  return tabid;
}

int DatabaseBuilder::AddColumn(int tabid, const std::string& name,
                               int type_code, int catalog_length) {
  if (tabid != current_tabid_) {
    current_tabid_ = tabid;
    next_colno_ = 1;
  }
  const int colno = next_colno_++;
  if (!error_.empty()) return colno;
  sqlite3_bind_int(insert_column_, 1, tabid);
  sqlite3_bind_int(insert_column_, 2, colno);
  sqlite3_bind_text(insert_column_, 3, name.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_int(insert_column_, 4, type_code);
  sqlite3_bind_int(insert_column_, 5, catalog_length);
  if (!Run(insert_column_)) Fail("column " + name);
  return colno;
}

void DatabaseBuilder::AddDistribution(int tabid, int colno,
                                      const std::string& text) {
  constexpr size_t kChunk = 255;
  int seqno = 1;
  for (size_t at = 0; at < text.size() || at == 0; at += kChunk) {
    if (!error_.empty()) return;
    const std::string chunk = text.substr(at, kChunk);
    sqlite3_bind_int(insert_distribution_, 1, tabid);
    sqlite3_bind_int(insert_distribution_, 2, colno);
    sqlite3_bind_int(insert_distribution_, 3, seqno++);
    sqlite3_bind_text(insert_distribution_, 4, chunk.data(),
                      static_cast<int>(chunk.size()), SQLITE_TRANSIENT);
    if (!Run(insert_distribution_)) Fail("distribution");
    if (text.empty()) break;
  }
}

void DatabaseBuilder::AddUser(const std::string& name,
                              const std::string& password) {
  if (!error_.empty()) return;
  if (!has_owner_) {
    owner_ = name;
    has_owner_ = true;
  }
  const std::string salt = RandomSalt();
  const std::string hash = PasswordHash(salt, password);
  sqlite3_bind_text(insert_user_, 1, name.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(insert_user_, 2, salt.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(insert_user_, 3, hash.c_str(), -1, SQLITE_TRANSIENT);
  if (!Run(insert_user_)) Fail("user " + name);
}

void DatabaseBuilder::Execute(const std::string& sql) {
  if (!error_.empty()) return;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    Fail(sql);
  }
}

// Lists the database in its server's sysdatabases, as a server does when
// a database is created; a file built outside a server folder is left
// unlisted.
void DatabaseBuilder::Register() {
  namespace fs = std::filesystem;
  const fs::path file(path_);
  const fs::path sysmaster = file.parent_path() / kSysmasterFile;
  std::error_code code;
  if (!fs::is_regular_file(sysmaster, code)) return;
  sqlite3* db = nullptr;
  sqlite3_stmt* insert = nullptr;
  bool ok = sqlite3_open_v2(sysmaster.c_str(), &db, SQLITE_OPEN_READWRITE,
                            nullptr) == SQLITE_OK;
  ok = ok && sqlite3_busy_timeout(db, 5000) == SQLITE_OK &&
       sqlite3_prepare_v2(db,
                          "INSERT OR REPLACE INTO sysdatabases "
                          "(name, owner, created) VALUES (?, ?, date('now'))",
                          -1, &insert, nullptr) == SQLITE_OK;
  if (ok) {
    const std::string name = file.stem().string();
    sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 2, owner_.c_str(), -1, SQLITE_TRANSIENT);
    ok = sqlite3_step(insert) == SQLITE_DONE;
  }
  if (!ok) Fail("listing in " + sysmaster.string());
  sqlite3_finalize(insert);
  sqlite3_close(db);
}

bool DatabaseBuilder::Finish(std::string* error) {
  if (db_ != nullptr) {
    if (error_.empty() &&
        sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
      Fail("commit");
    }
    for (sqlite3_stmt* statement :
         {insert_table_, insert_column_, insert_distribution_, insert_user_}) {
      sqlite3_finalize(statement);
    }
    insert_table_ = insert_column_ = insert_distribution_ = insert_user_ =
        nullptr;
    sqlite3_close(db_);
    db_ = nullptr;
    if (error_.empty()) Register();
  }
  *error = error_;
  return error_.empty();
}

}  // namespace tvcli
