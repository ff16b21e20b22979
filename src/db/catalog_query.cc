#include "db/catalog_query.h"

#include "base/number_text.h"
#include "base/text_util.h"

namespace tce {

std::string BuildCatalogQuery(std::string_view owner_clause,
                              std::string_view table_clause,
                              std::string_view page_size_expression,
                              const RunSettings& settings) {
  std::string sql;
  sql +=
      "~SELECT T.OWNER, T.TABNAME, T.NPUSED, T.NROWS, C.COLNAME, C.COLTYPE, ";
  sql += "~       C.COLLENGTH, X.ENCDAT, ";
  sql += page_size_expression;
  sql += " ";
  sql += "~    FROM ";
  sql += "SYSTABLES T";
  sql += " INNER JOIN ";
  sql += "SYSCOLUMNS C";
  sql += "~      ON C.TABID = T.TABID AND T.TABTYPE = 'T' ";
  if (settings.MinTableSizeMB > 0) {
    // 256 pages of 4096 bytes make a megabyte, scaled to the page size.
    sql += "~    AND (T.NPUSED >= ";
    sql += WithLeadingBlank(
        FormatNumber(static_cast<int64_t>(settings.MinTableSizeMB) * 256));
    sql += " * (4096/";
    sql += page_size_expression;
    sql += "))  ";
  }
  if (settings.IgnoreTablesWithoutStats) sql += "~    AND (T.NROWS > 0) ";
  if (!owner_clause.empty() && !table_clause.empty()) {
    sql += "~    AND ";
    sql += owner_clause;
    sql += "~    AND ";
    sql += table_clause;
  } else if (!owner_clause.empty() || !table_clause.empty()) {
    sql += "~    AND ";
    sql += owner_clause.empty() ? table_clause : owner_clause;
  }
  sql += "~    LEFT OUTER JOIN ";
  sql += "SYSDISTRIB X";
  sql += "~      ON X.TABID = T.TABID AND ";
  sql += "~         X.COLNO = C.COLNO AND ";
  sql += "~         X.SEQNO = 1 ";
  sql += "~ORDER BY T.OWNER, T.TABNAME";
  return sql;
}

Status CatalogQueryFor(std::string_view page_size_expression,
                       std::string_view owner_clause,
                       std::string_view table_clause,
                       const RunSettings& settings, std::string& query) {
  query.clear();
  if (page_size_expression.empty()) {
    return Status::Failure(
        "The server's page size is not known, so no estimate can be made. "
        "Connect again.");
  }
  query = BuildCatalogQuery(owner_clause, table_clause, page_size_expression,
                            settings);
  return Status();
}

std::string BuildFilterClause(std::string_view column, std::string_view list) {
  if (list.empty()) return {};
  std::string patterns;
  std::string names;
  size_t start = 0;
  while (true) {
    const size_t comma = list.find(',', start);
    std::string item(TrimSpaces(list.substr(
        start, comma == std::string_view::npos ? std::string_view::npos
                                               : comma - start)));
    bool quoted = false;
    if (item.find_first_of("\"'") != std::string::npos) {
      for (char& c : item) {
        if (c == '"' || c == '\'') c = ' ';
      }
      item = std::string(TrimSpaces(item));
      quoted = true;
    }
    const bool pattern = !quoted && item.find('%') != std::string::npos;
    std::string& target = pattern ? patterns : names;
    if (!target.empty()) target += "~      OR  ";
    target += "~      ";
    target += column;
    target += pattern ? " LIKE '" : " = '";
    target += item;
    target += "' ";
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (!patterns.empty() && !names.empty()) {
    return "~    (  " + patterns + "~      OR " + names + "~    ) ";
  }
  return "~    (  " + (patterns.empty() ? names : patterns) + "~    ) ";
}

}  // namespace tce
