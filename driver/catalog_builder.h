// Makes server directories for the embedded driver: the server's version
// and page size, databases with their tables, columns, distributions and
// users. Used by the tests, the demo catalog and the benchmark generator.
#ifndef TVCLI_CATALOG_BUILDER_H_
#define TVCLI_CATALOG_BUILDER_H_

#include <sqlite3.h>

#include <string>

namespace tvcli {

// Writes <directory>/sysmaster.db afresh, creating the directory when
// needed. False with `error` set when it cannot.
bool CreateServer(const std::string& directory, const std::string& version,
                  int page_size, std::string* error);

// Writes one database file afresh. Every call after a failure does nothing;
// Finish reports the first failure.
class DatabaseBuilder {
 public:
  // `path` is the database file, for example <server>/sales.db.
  explicit DatabaseBuilder(const std::string& path);
  ~DatabaseBuilder();
  DatabaseBuilder(const DatabaseBuilder&) = delete;
  DatabaseBuilder& operator=(const DatabaseBuilder&) = delete;

  // Adds a table and returns its tabid (1, 2, ...).
  int AddTable(const std::string& owner, const std::string& name,
               long long pages_used, long long rows, int page_size,
               const std::string& table_type = "T");
  // Adds the next column of a table (colno 1, 2, ...) and returns its colno.
  int AddColumn(int tabid, const std::string& name, int type_code,
                int catalog_length);
  // Stores a distribution text in chunks of at most 255 bytes, seqno 1, 2...
  void AddDistribution(int tabid, int colno, const std::string& text);
  // Adds a user with a salted hash of the password.
  void AddUser(const std::string& name, const std::string& password);

  // Runs further SQL on the database file (more tables or columns).
  void Execute(const std::string& sql);

  // Commits and closes; false with `error` set when anything failed. A
  // database built in a server's folder is then listed in the server's
  // sysdatabases (owned by its first user).
  bool Finish(std::string* error);

 private:
  static constexpr char kDefaultOwner[] = "tarvex";
  void Register();
  bool Run(sqlite3_stmt* statement);
  void Fail(const std::string& what);

  std::string path_;
  std::string owner_ = kDefaultOwner;
  bool has_owner_ = false;
  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_table_ = nullptr;
  sqlite3_stmt* insert_column_ = nullptr;
  sqlite3_stmt* insert_distribution_ = nullptr;
  sqlite3_stmt* insert_user_ = nullptr;
  std::string error_;
  int next_tabid_ = 1;
  int current_tabid_ = 0;
  int next_colno_ = 1;
};

}  // namespace tvcli

#endif  // TVCLI_CATALOG_BUILDER_H_
