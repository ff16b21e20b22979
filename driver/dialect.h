// Adapts the server's SQL dialect to SQLite's, outside string literals,
// quoted identifiers and comments:
// - the database qualifier "database:table" becomes "database.table"
//   (the connected database itself becomes "main");
// - division is exact as on the server ("4096/8192" is 0.5, where SQLite
//   would divide integers to 0).
// Case-sensitive LIKE is a connection setting, not a rewrite.
#ifndef TVCLI_DIALECT_H_
#define TVCLI_DIALECT_H_

#include <string>
#include <string_view>

namespace tvcli {

std::string TranslateStatement(std::string_view sql,
                               std::string_view current_database);

// Regroups a parenthesized list of many simple comparisons joined by OR
// ("c = 'a' OR c = 'b' OR ...", as a long owner or table filter makes it)
// into nested groups, which mean the same but nest far less deeply than
// SQLite's parser allows. Anything else stays as it is.
std::string BalanceLongOrChains(std::string sql);

// Whether the statement combines selects (UNION, INTERSECT or EXCEPT
// outside literals, quoted identifiers and comments): its columns then
// take values from more than one select.
bool CombinesSelects(std::string_view sql);

}  // namespace tvcli

#endif  // TVCLI_DIALECT_H_
