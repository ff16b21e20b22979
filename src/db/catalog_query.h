// The one query over the system catalog: a row per column of every table
// (type 'T') that passes the filters, with the table's page and row counts,
// the column's type and length, its first distribution chunk and the page
// size, ordered by owner and table name.
#ifndef TCE_DB_CATALOG_QUERY_H_
#define TCE_DB_CATALOG_QUERY_H_

#include <string>
#include <string_view>

#include "base/run_settings.h"
#include "db/status.h"

namespace tce {

// The query's columns, as StatementResult entries.
enum CatalogColumn {
  kOwnerColumn = 1,
  kTableColumn = 2,
  kPagesUsedColumn = 3,
  kRowCountColumn = 4,
  kColumnNameColumn = 5,
  kTypeCodeColumn = 6,
  kLengthColumn = 7,
  kDistributionColumn = 8,
  kPageSizeColumn = 9,
};

// The query text, with its layout markers. `owner_clause` and
// `table_clause` are each empty or an SQL condition; MinTableSizeMB and
// IgnoreTablesWithoutStats of `settings` add their conditions.
std::string BuildCatalogQuery(std::string_view owner_clause,
                              std::string_view table_clause,
                              std::string_view page_size_expression,
                              const RunSettings& settings);

// The query for a server whose page-size expression the connection's probe
// chose. Without one (no probe succeeded) there is no query to send: a
// failure saying so, and `query` is left empty.
Status CatalogQueryFor(std::string_view page_size_expression,
                       std::string_view owner_clause,
                       std::string_view table_clause,
                       const RunSettings& settings, std::string& query);

// A condition on `column` ("T.OWNER" or "T.TABNAME") from a comma-separated
// list: items with "%" become LIKE patterns, the others equalities, quotes
// inside items become blanks. Empty for an empty list.
std::string BuildFilterClause(std::string_view column, std::string_view list);

}  // namespace tce

#endif  // TCE_DB_CATALOG_QUERY_H_
