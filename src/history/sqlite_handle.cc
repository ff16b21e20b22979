#include "history/sqlite_handle.h"

#include <cstdio>

namespace tce {

Status SqliteFile::Open(const std::string& path, int busy_ms, Mode mode,
                        bool create, std::unique_ptr<SqliteFile>* file) {
  sqlite3* db = nullptr;
  std::string name = path;
  if (mode == kFrozen) {
    // As a URI, with the characters a URI gives a meaning escaped.
    name = "file:";
    for (const char c : path) {
      if (c == '%' || c == '?' || c == '#') {
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
        name += escaped;
      } else {
        name += c;
      }
    }
    name += "?immutable=1";
  }
  const int rc = sqlite3_open_v2(
      name.c_str(), &db,
      (mode == kWrite ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) |
          (create && mode == kWrite ? SQLITE_OPEN_CREATE : 0) |
          (mode == kFrozen ? SQLITE_OPEN_URI : 0) | SQLITE_OPEN_NOMUTEX,
      nullptr);
  if (rc != SQLITE_OK) {
    const std::string why =
        db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    return Status::FileFailure(path + ": the history file cannot be opened (" +
                               why + ")");
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, busy_ms);
  file->reset(new SqliteFile(db, path));
  return Status();
}

SqliteFile::~SqliteFile() { sqlite3_close(db_); }

Status SqliteFile::Execute(const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) == SQLITE_OK)
    return Status();
  const std::string why = error != nullptr ? error : sqlite3_errmsg(db_);
  sqlite3_free(error);
  return Status::FileFailure(path_ + ": " + why);
}

Status SqliteFile::Failure(const std::string& what) const {
  return Status::FileFailure(path_ + ": " + what + " (" + sqlite3_errmsg(db_) +
                             ")");
}

Status SqliteFile::QueryInteger(const char* sql, int64_t* value) {
  SqliteStatement statement(*this, sql);
  if (statement.Step() != SQLITE_ROW) return Failure("the file cannot be read");
  *value = statement.Integer(0);
  return Status();
}

SqliteStatement::SqliteStatement(const SqliteFile& file, std::string_view sql) {
  sqlite3_prepare_v3(file.db(), sql.data(), static_cast<int>(sql.size()),
                     SQLITE_PREPARE_PERSISTENT, &statement_, nullptr);
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(statement_); }

SqliteStatement& SqliteStatement::Bind(int index, int64_t value) {
  sqlite3_bind_int64(statement_, index, value);
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, double value) {
  sqlite3_bind_double(statement_, index, value);
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text) {
  sqlite3_bind_text(statement_, index, text.data(),
                    static_cast<int>(text.size()), SQLITE_TRANSIENT);
  return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index) {
  sqlite3_bind_null(statement_, index);
  return *this;
}

int SqliteStatement::Step() {
  return statement_ == nullptr ? SQLITE_ERROR : sqlite3_step(statement_);
}

void SqliteStatement::Reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

int64_t SqliteStatement::Integer(int column) const {
  return sqlite3_column_int64(statement_, column);
}

double SqliteStatement::Real(int column) const {
  return sqlite3_column_double(statement_, column);
}

std::string SqliteStatement::Text(int column) const {
  const auto* text = sqlite3_column_text(statement_, column);
  if (text == nullptr) return {};
  return std::string(reinterpret_cast<const char*>(text),
                     static_cast<size_t>(sqlite3_column_bytes(statement_, column)));
}

bool SqliteStatement::IsNull(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

SqliteTransaction::~SqliteTransaction() {
  if (open_) sqlite3_exec(file_.db(), "ROLLBACK", nullptr, nullptr, nullptr);
}

Status SqliteTransaction::Begin() {
  if (sqlite3_exec(file_.db(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) !=
      SQLITE_OK) {
    return file_.Failure("the history file cannot be locked for writing");
  }
  open_ = true;
  return Status();
}

Status SqliteTransaction::BeginRead() {
  if (sqlite3_exec(file_.db(), "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
    return file_.Failure("the history file cannot be read");
  open_ = true;
  return Status();
}

Status SqliteTransaction::Commit() {
  if (sqlite3_exec(file_.db(), "COMMIT", nullptr, nullptr, nullptr) !=
      SQLITE_OK) {
    return file_.Failure("the run could not be written");
  }
  open_ = false;
  return Status();
}

}  // namespace tce
