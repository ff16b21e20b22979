#include "db/statement.h"

#include <sqlext.h>

#include <algorithm>
#include <cstring>

#include "base/text_util.h"

namespace tce {
namespace {

bool IsNumericType(SQLSMALLINT type) {
  switch (type) {
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
    case SQL_BIGINT:
    case SQL_TINYINT:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string ResolveSqlMarkers(std::string_view sql, bool for_execution) {
  if (!sql.empty() && sql.front() == '~') sql.remove_prefix(1);
  std::string text;
  text.reserve(sql.size() + sql.size() / 8);
  bool in_literal = false;
  for (char c : sql) {
    if (c == '\'') in_literal = !in_literal;
    if (in_literal || (c != '~' && c != '^')) {
      text += c;
    } else if (for_execution) {
      text += ' ';
    } else {
      text += c == '~' ? "\r\n" : "\t";
    }
  }
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

Statement::Statement(const Connection& connection) : connection_(connection) {}

Status Statement::Fail(const char* call, SQLRETURN rc, const char* log_text) {
  const Logger& logger = connection_.logger();
  Status status = CallFailure(connection_.library(), call, rc,
                              connection_.environment_handle(),
                              connection_.connection_handle(), handle_.get());
  if (log_text != nullptr) logger.Log("SQL", log_text);
  // A reason that could not be read is logged where it is told.
  if (status.diagnostic().read_rc == SQL_SUCCESS)
    logger.Log("SQL Error", status.DriverText());
  CloseStatement();
  return status;
}

Status Statement::ExecuteStatement(std::string_view sql) {
  CloseStatement();  // a statement read only in part is dropped first
  const Logger& logger = connection_.logger();
  const std::string text = ResolveSqlMarkers(sql, true);
  if (logger.log_sql()) logger.WriteLog("SQL", ResolveSqlMarkers(sql, false));
  if (TrimSpaces(text).empty()) {
    return Status::Failure("The statement to run is empty.");
  }
  if (!connection_.ConnectionOpen()) {
    return Status::Failure("There is no connection to the database.");
  }
  Status status = CliHandle::Allocate(connection_.library(), SQL_HANDLE_STMT,
                                      connection_.connection_handle(),
                                      connection_.environment_handle(),
                                      connection_.connection_handle(), handle_);
  if (!status.ok()) {
    logger.Log("SQL", "SQL statement allocation error");
    if (status.diagnostic().read_rc == SQL_SUCCESS)
      logger.Log("SQL Error", status.DriverText());
    return status;
  }
  generation_ = connection_.generation();
  status = Prepare(text);
  if (!status.ok()) return status;
  CliLibrary& cli = connection_.library();
  const SQLRETURN rc = cli.Execute(handle_.get());
  if (!Succeeded(rc)) return Fail("SQLExecute", rc);
  return BindColumns();
}

Status Statement::Prepare(const std::string& text) {
  CliLibrary& cli = connection_.library();
  SQLRETURN rc =
      cli.SetStmtAttr(handle_.get(), SQL_ATTR_NOSCAN,
                      reinterpret_cast<SQLPOINTER>(SQL_NOSCAN_ON), SQL_NTS);
  // The program's statements hold no escape clauses, so a driver that
  // cannot switch escape scanning off still runs them correctly.
  if (!Succeeded(rc) && !OptionNotSupported()) {
    return Fail("SQLSetStmtAttr", rc, "SQL statement attribute error");
  }
  std::string statement = text;  // the driver takes a mutable pointer
  rc = cli.Prepare(handle_.get(), reinterpret_cast<SQLCHAR*>(statement.data()),
                   static_cast<SQLINTEGER>(statement.size()));
  if (!Succeeded(rc))
    return Fail("SQLPrepare", rc, "SQL prepare statement error");
  return Status();
}

Status Statement::BindColumns() {
  CliLibrary& cli = connection_.library();
  const Logger& logger = connection_.logger();
  SQLSMALLINT count = 0;
  SQLRETURN rc = cli.NumResultCols(handle_.get(), &count);
  if (!Succeeded(rc)) return Fail("SQLNumResultCols", rc);
  if (count <= 0) {
    logger.Log("SQL", "No columns returned");
    CloseStatement();
    return Status::Failure("The statement returned no columns.");
  }
  if (count > kMaxResultColumns) {
    logger.Log("SQL", "Too many columns returned");
    count = kMaxResultColumns;
  }
  result_column_count_ = count;
  if (!buffer_) buffer_ = std::make_unique<Buffer>();
  slots_.clear();
  int running_offset = 1;
  for (SQLUSMALLINT c = 1; c <= result_column_count_; ++c) {
    SQLCHAR name[32];
    SQLSMALLINT name_length = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    rc = cli.DescribeCol(handle_.get(), c, name, sizeof name, &name_length,
                         &type, &size, &digits, &nullable);
    if (!Succeeded(rc)) return Fail("SQLDescribeCol", rc);
    if (type == kDistributionType) size = kDistributionSize;
    if (size > static_cast<SQLULEN>(kMaxColumnSize)) size = kMaxColumnSize;
    const ColumnSlot slot{static_cast<int16_t>(running_offset),
                          static_cast<int16_t>(size + kSlotPadding),
                          IsNumericType(type)};
    slots_.push_back(slot);
    rc = cli.BindCol(handle_.get(), c, SQL_C_CHAR,
                     buffer_->data() + slot.offset - 1, slot.length,
                     &indicators_[c - 1]);
    if (!Succeeded(rc)) return Fail("SQLBindCol", rc);
    running_offset += slot.length;
    if (running_offset >= kResultBufferSize) {
      logger.Log("Message", "Row too large to return");
      CloseStatement();
      return Status::Failure("Row too large to return");
    }
  }
  return Status();
}

Status Statement::FetchRow(bool& has_row, bool close_after_row) {
  has_row = false;
  if (!open()) return Status::Failure("No statement is open to fetch from.");
  // A driver that writes nothing for a value leaves it NULL, that is empty.
  indicators_.fill(SQL_NULL_DATA);
  const SQLRETURN rc = connection_.library().Fetch(handle_.get());
  if (rc == SQL_NO_DATA) {
    CloseStatement();
    return Status();
  }
  if (!Succeeded(rc)) return Fail("SQLFetch", rc);
  // The texts are rebuilt in place, reusing their storage row after row.
  for (int c = 1; c <= result_column_count_; ++c) {
    SlotTextInto(c, true, result_[c]);
  }
  has_row = true;
  if (close_after_row) CloseStatement();
  return Status();
}

bool Statement::OptionNotSupported() {
  const Diagnostic diagnostic =
      ReadDiagnostic(connection_.library(), connection_.environment_handle(),
                     connection_.connection_handle(), handle_.get());
  return diagnostic.sqlstate == "HYC00" || diagnostic.sqlstate == "IM001";
}

void Statement::CloseStatement() {
  if (!handle_) return;
  // A disconnect has dropped the connection's statements already.
  if (!connection_.ConnectionOpen() ||
      connection_.generation() != generation_) {
    handle_.Release();
    return;
  }
  handle_.Free();
  CliLibrary& cli = connection_.library();
  cli.EndTran(SQL_HANDLE_DBC, connection_.connection_handle(), SQL_COMMIT);
  cli.TakeFailure();  // the program only reads: a failed commit loses nothing
}

void Statement::SlotTextInto(int column, bool trim, std::string& text) const {
  const ColumnSlot& slot = slots_[column - 1];
  const SQLLEN indicator = indicators_[column - 1];
  if (indicator == SQL_NULL_DATA || slot.length <= 1) {
    text.clear();
    return;
  }
  const char* begin =
      reinterpret_cast<const char*>(buffer_->data()) + slot.offset - 1;
  // The driver cuts a longer value to the slot less its zero byte; the
  // indicator gives the length, and a number's text needs no other look.
  size_t length = static_cast<size_t>(slot.length - 1);
  if (indicator >= 0) length = std::min(length, static_cast<size_t>(indicator));
  if (slot.numeric && indicator >= 0) {
    // A number's text has no line feed; it is trimmed as every value is (a
    // driver may pad it).
    const char* stop = begin + length;
    if (trim) {
      while (begin < stop && *begin == ' ') ++begin;
      while (stop > begin && stop[-1] == ' ') --stop;
    }
    text.assign(begin, stop);
    return;
  }
  // Without a length from the driver the value ends at its zero byte.
  if (indicator < 0 || static_cast<size_t>(indicator) > length) {
    if (const void* zero = std::memchr(begin, '\0', length)) {
      length = static_cast<size_t>(static_cast<const char*>(zero) - begin);
    }
  }
  const char* stop = begin + length;
  if (trim) {
    while (begin < stop && *begin == ' ') ++begin;
    while (stop > begin && stop[-1] == ' ') --stop;
  }
  text.assign(begin, stop);
  // A line feed arrives as CR LF.
  if (std::memchr(begin, '\n', static_cast<size_t>(stop - begin)) == nullptr)
    return;
  for (size_t at = text.find('\n'); at != std::string::npos;
       at = text.find('\n', at + 2)) {
    text.insert(at, 1, '\r');
  }
}

}  // namespace tce
