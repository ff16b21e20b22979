#include "db/server_catalog.h"

#include "db/statement.h"

namespace tce {

Status ListDatabases(Connection& connection, std::vector<std::string>* names) {
  Statement statement(connection);
  Status status =
      statement.ExecuteStatement("SELECT NAME FROM SYSMASTER:SYSDATABASES");
  for (bool has_row = status.ok(); status.ok() && has_row;) {
    status = statement.FetchRow(has_row);
    if (status.ok() && has_row && !statement.StatementResult(1).empty())
      names->push_back(statement.StatementResult(1));
  }
  return status;
}

}  // namespace tce
