// Reads a server definition: a readable text that lists a server's version
// and page size, its databases, their users and tables, and each table's
// columns with their types and distributions (server_writer.h writes it
// out as a server folder for the embedded driver).
//
//   # a comment
//   server 11.70 pagesize 4096
//   database sales
//   user alice s3cret
//   table acct.orders pages 120 rows 5000 [pagesize 4096] [type T]
//     order_id    serial not null      distinct 5000
//     amount      decimal(12,2)        sampled 2000 1480 1102
//     note        varchar(200,20)
//
// A column line is its name, its type in the server's SQL spelling
// (char(n), varchar(max[,min]), decimal(p[,s]), datetime year to second,
// interval day(3) to second, set(n), row(n), code(c,l) for a raw type code
// and catalog length ...), "not null" to set the catalog's null flag, and
// optionally its distribution: "distinct D" (built from all rows) or
// "sampled S D F1" (S rows sampled, D distinct among them, F1 seen once).
#ifndef TCE_CATALOGS_CATALOG_DEFINITION_H_
#define TCE_CATALOGS_CATALOG_DEFINITION_H_

#include <string>
#include <vector>

namespace tce::catalogs {

struct ColumnDefinition {
  std::string name;
  int type_code = 0;
  int catalog_length = 0;
  std::string distribution;  // the catalog's text, or empty
};

struct TableDefinition {
  std::string owner;
  std::string name;
  long long pages = 0;
  long long rows = 0;
  int page_size = 0;
  std::string type = "T";
  std::vector<ColumnDefinition> columns;
};

struct DatabaseDefinition {
  std::string name;
  std::vector<std::pair<std::string, std::string>> users;
  std::vector<TableDefinition> tables;
};

struct ServerDefinition {
  std::string version = "11.70";
  int page_size = 2048;
  std::vector<DatabaseDefinition> databases;
};

// Parses the text; false with `error` naming the line when it is not sound.
bool ParseServerDefinition(const std::string& text, ServerDefinition* server,
                           std::string* error);

// Parses one column type; false when it is not a known type.
bool ParseColumnType(const std::string& type, int* type_code,
                     int* catalog_length);

}  // namespace tce::catalogs

#endif  // TCE_CATALOGS_CATALOG_DEFINITION_H_
