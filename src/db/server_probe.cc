#include "db/server_probe.h"

#include <cstdint>

#include "db/statement.h"

namespace tce {
namespace {

constexpr int64_t kLargestPageSize = 1 << 30;

// The page size as plain decimal text when `text` is a positive whole number
// (digits only, within reason), otherwise nullopt.
std::optional<std::string> PositiveWholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value <= 0 || value > kLargestPageSize) return std::nullopt;
  return std::to_string(value);
}

// Runs a one-row query; `value` is its first column, `has_row` whether a
// row came.
Status QueryOneValue(Connection& connection, const char* sql, bool& has_row,
                     std::string& value) {
  Statement statement(connection);
  Status status = statement.ExecuteStatement(sql);
  if (!status.ok()) return status;
  status = statement.FetchRow(has_row, true);
  if (status.ok() && has_row) value = statement.StatementResult(1);
  return status;
}

}  // namespace

ProbeResult ProbeServer(Connection& connection) {
  const Logger& logger = connection.logger();
  auto fail = [&](Status status, const char* shown, const char* logged) {
    logger.Log("PAGESIZE", logged);
    status.AddMessage(shown);
    return ProbeResult{std::move(status), "", ""};
  };
  if (!connection.ConnectionOpen()) {
    return fail(Status(),
                "Unable to get SMIVERSION from SYSMASTER:SYSTABLES table",
                "Can't get SMIVERSION from SYSMASTER:SYSTABLES");
  }
  bool has_row = false;
  std::string version;
  Status status = QueryOneValue(
      connection,
      "SELECT OWNER FROM SYSMASTER:SYSTABLES WHERE TABNAME=' SMIVERSION'",
      has_row, version);
  if (!status.ok() || !has_row) {
    return fail(std::move(status),
                "Unable to get SMIVERSION from SYSMASTER:SYSTABLES table",
                "Can't get SMIVERSION from SYSMASTER:SYSTABLES");
  }
  logger.Log("PAGESIZE", "Version=" + version);
  if (version != "7.31" && version != "9.40") {
    logger.Log("PAGESIZE", "PAGESIZE=T.PAGESIZE");
    return {Status(), "T.PAGESIZE", version};
  }
  Statement statement(connection);
  status = statement.ExecuteStatement(
      "SELECT SH_PAGESIZE FROM SYSMASTER:SYSSHMVALS");
  if (!status.ok()) {
    return fail(std::move(status),
                "Unable to get SH_PAGESIZE from SYSMASTER:SYSHVALS table",
                "Can't get SH_PAGESIZE from SYSMASTER:SYSHVALS table");
  }
  status = statement.FetchRow(has_row, true);
  if (!status.ok() || !has_row) {
    return fail(std::move(status),
                "Unable to get SH_PAGESIZE from SYSMASTER:SYSHMVALS table",
                "Can't get SH_PAGESIZE from SYSMASTER:SYSHMVALS table");
  }
  const std::string value = statement.StatementResult(1);
  const std::optional<std::string> page_size = PositiveWholeNumber(value);
  if (!page_size) {
    const std::string message = "The server's page size \"" + value +
                                "\" (SYSMASTER:SYSSHMVALS) is not a positive "
                                "whole number of bytes.";
    logger.Log("PAGESIZE", message);
    return {Status::Failure(message), "", version};
  }
  logger.Log("PAGESIZE", "PAGESIZE=" + *page_size);
  return {Status(), *page_size, version};
}

}  // namespace tce
