#include "analysis/table_columns.h"

#include "analysis/catalog_rows.h"
#include "db/catalog_query.h"
#include "db/statement.h"

namespace tce {
namespace {

// An SQL string literal's content: single quotes doubled.
std::string QuoteLiteral(std::string_view text) {
  std::string quoted;
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted;
}

}  // namespace

Status ReadTableColumns(Connection& connection,
                        const TypeStatisticsTable& statistics,
                        const RunSettings& settings, const std::string& owner,
                        const std::string& table, EstimateContext& estimate) {
  // Quotes in a name are doubled so that the name stays one literal.
  std::string query;
  Status status = CatalogQueryFor(
      connection.PageSizeExpression,
      "T.OWNER = '" + QuoteLiteral(owner) + "'",
      "T.TABNAME = '" + QuoteLiteral(table) + "'", settings, query);
  if (!status.ok()) return status;
  Statement statement(connection);
  status = statement.ExecuteStatement(query);
  if (!status.ok()) return status;
  // The query selects the one table: its rows are read as the run reads a
  // table's rows.
  TableReader reader(statement, connection.logger());
  std::string owner_read, table_read;
  TableReader::Step step;
  status = reader.Next(owner_read, table_read, estimate.TableColumns, step,
                       [] { return true; });
  if (!status.ok()) return status;
  statement.CloseStatement();
  if (estimate.TableColumns.ColumnCount() == 0) {
    return Status::Failure("The catalog no longer lists the table " + owner +
                           "." + table +
                           " as the run read it; run the estimate again.");
  }
  const Estimator estimator(statistics, EstimateOptions::Of(settings),
                            connection.logger());
  estimator.Compute(estimate);
  return Status();
}

}  // namespace tce
