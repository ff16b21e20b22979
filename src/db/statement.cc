#include "db/statement.h"

#include <sqlext.h>

#include <algorithm>
#include <cstring>

#include "base/number_text.h"
#include "base/text_util.h"

namespace tce {
namespace {

// Replaces every `marker` by `replacement`, left to right.
void ReplaceAll(std::string& text, char marker, std::string_view replacement) {
  for (size_t at = text.find(marker); at != std::string::npos;
       at = text.find(marker, at + replacement.size())) {
    text.replace(at, 1, replacement);
  }
}

}  // namespace

std::string ResolveSqlMarkers(std::string_view sql, bool for_execution) {
  std::string text(sql);
  if (!text.empty() && text.front() == '~') text.erase(0, 1);
  ReplaceAll(text, '~', for_execution ? " " : "\r\n");
  ReplaceAll(text, '^', for_execution ? " " : "\t");
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

bool StatementLayer::ExecuteStatement(std::string_view sql) {
  const std::string text = ResolveSqlMarkers(sql, true);
  if (reporter_.log_sql()) {
    reporter_.WriteLog("SQL", ResolveSqlMarkers(sql, false));
  }
  if (TrimSpaces(text).empty()) return false;

  // A statement the caller stopped reading early is dropped before the next.
  if (statement_allocated_) CloseStatement();
  CliLibrary& cli = handles_.library();
  handles_.LastResultCode = handles_.AllocStatement();
  if (handles_.LastResultCode == SQL_ERROR) {
    LogIfDebug("SQL", "SQL statement allocation error");
    return false;
  }
  statement_allocated_ = true;
  SQLHSTMT stmt = handles_.StatementHandle;
  if (cli.SetStmtAttr(stmt, SQL_ATTR_NOSCAN,
                      reinterpret_cast<SQLPOINTER>(SQL_NOSCAN_ON),
                      SQL_NTS) == SQL_ERROR) {
    LogIfDebug("SQL", "SQL statement attribute error");
    // The program's statements hold no escape clauses, so a driver that
    // cannot switch escape scanning off still runs them correctly.
    if (!OptionNotSupported()) return false;
  }
  std::string statement = text;  // the driver takes a mutable pointer
  if (cli.Prepare(stmt, reinterpret_cast<SQLCHAR*>(statement.data()),
                  static_cast<SQLINTEGER>(statement.size())) == SQL_ERROR) {
    LogIfDebug("SQL", "SQL prepare statement error");
    return false;
  }
  handles_.LastResultCode = cli.Execute(stmt);
  if (handles_.LastResultCode == SQL_ERROR) {
    ReportSqlError();
    return false;
  }
  SQLSMALLINT count = 0;
  cli.NumResultCols(stmt, &count);
  result_column_count_ = count;
  if (result_column_count_ <= 0) {
    LogIfDebug("SQL", "No columns returned");
    CloseStatement();
    return false;
  }
  if (result_column_count_ > kMaxResultColumns) {
    LogIfDebug("SQL", "Too many columns returned");
    result_column_count_ = kMaxResultColumns;
  }

  slots_.clear();
  bound_end_ = 0;
  int running_offset = 1;
  for (SQLUSMALLINT c = 1; c <= result_column_count_; ++c) {
    SQLCHAR name[32];
    SQLSMALLINT name_length = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    cli.DescribeCol(stmt, c, name, sizeof name, &name_length, &type, &size,
                    &digits, &nullable);
    if (type == kDistributionType) size = kDistributionSize;
    if (size > static_cast<SQLULEN>(kMaxColumnSize)) size = kMaxColumnSize;
    const ColumnSlot slot{static_cast<int16_t>(running_offset),
                          static_cast<int16_t>(size + kSlotPadding)};
    slots_.push_back(slot);
    bound_end_ = static_cast<size_t>(slot.offset - 1 + slot.length);
    handles_.LastResultCode =
        cli.BindCol(stmt, c, SQL_C_CHAR, buffer_.data() + slot.offset - 1,
                    slot.length, &indicators_[c - 1]);
    if (handles_.LastResultCode == SQL_ERROR) {
      ReportSqlError();
      return false;
    }
    running_offset += slot.length;
    if (running_offset >= kResultBufferSize) {
      reporter_.ShowMessage("Row too large to return");
      CloseStatement();
      return false;
    }
  }
  return true;
}

bool StatementLayer::FetchRow(bool close_after_row) {
  // Only the bound part can hold values; a NULL leaves its slot empty.
  std::memset(buffer_.data(), 0, std::min(bound_end_, buffer_.size()));
  handles_.LastResultCode = handles_.library().Fetch(handles_.StatementHandle);
  if (handles_.LastResultCode != SQL_SUCCESS &&
      handles_.LastResultCode != SQL_SUCCESS_WITH_INFO) {
    // A driver error is not the end of the data: the user sees why the rows
    // stopped, read while the statement still holds the diagnostic.
    if (handles_.LastResultCode == SQL_ERROR) {
      ReportSqlError();
    }
    CloseStatement();
    return false;
  }
  // The texts are rebuilt in place, reusing their storage row after row.
  for (int c = 1; c <= result_column_count_; ++c) {
    SlotTextInto(slots_[c - 1], true, result_[c]);
  }
  if (close_after_row) CloseStatement();
  return true;
}

bool StatementLayer::OptionNotSupported() {
  SQLCHAR state[10] = {};
  SQLINTEGER native = 0;
  SQLCHAR message[512] = {};
  SQLSMALLINT length = 0;
  const SQLRETURN rc = handles_.library().Error(
      handles_.EnvironmentHandle, handles_.ConnectionHandle,
      handles_.StatementHandle, state, &native, message, sizeof message,
      &length);
  const std::string code(reinterpret_cast<const char*>(state));
  return rc == SQL_SUCCESS && (code == "HYC00" || code == "IM001");
}

int StatementLayer::CloseStatement() {
  CliLibrary& cli = handles_.library();
  handles_.LastResultCode = cli.FreeStmt(handles_.StatementHandle, SQL_DROP);
  // A dropped handle is never passed again: a driver manager may not
  // survive being handed a freed handle.
  handles_.StatementHandle = SQL_NULL_HSTMT;
  handles_.LastResultCode =
      cli.EndTran(SQL_HANDLE_DBC, handles_.ConnectionHandle, SQL_COMMIT);
  statement_allocated_ = false;
  return 0;
}

std::string StatementLayer::ReportSqlError() {
  CliLibrary& cli = handles_.library();
  SQLCHAR state[10] = {};
  SQLINTEGER native = 0;
  SQLCHAR message[512] = {};
  SQLSMALLINT length = 0;
  // Asked without the statement, a driver manager would not find a
  // statement's error, so the open statement is named when there is one.
  const SQLHSTMT stmt =
      statement_allocated_ ? handles_.StatementHandle : SQL_NULL_HSTMT;
  handles_.LastResultCode =
      cli.Error(handles_.EnvironmentHandle, handles_.ConnectionHandle, stmt,
                state, &native, message, sizeof message, &length);
  if (handles_.LastResultCode != SQL_SUCCESS) {
    const std::string text =
        "Error retrieving SQL Error information rc=" +
        WithLeadingBlank(std::to_string(handles_.LastResultCode));
    LogIfDebug("SQL Error", text);
    return text;
  }
  message[sizeof message - 1] = '\0';
  std::string text(reinterpret_cast<const char*>(message));
  int brackets = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ']' && ++brackets == 3) {
      text.erase(0, i + 1);
      break;
    }
  }
  text = std::string(TrimSpaces(text));
  cli.FreeStmt(handles_.StatementHandle, SQL_DROP);
  handles_.StatementHandle = SQL_NULL_HSTMT;
  statement_allocated_ = false;
  reporter_.ShowBox("SQL Error", text);
  LogIfDebug("SQL Error", text);
  return text;
}

void StatementLayer::SlotTextInto(const ColumnSlot& slot, bool trim,
                                  std::string& text) const {
  const size_t start = static_cast<size_t>(std::max<int>(slot.offset - 1, 0));
  const size_t end =
      std::min(start + static_cast<size_t>(std::max<int>(slot.length, 0)),
               buffer_.size());
  if (start >= end) {
    text.clear();
    return;
  }
  const char* begin = reinterpret_cast<const char*>(buffer_.data()) + start;
  const char* stop = begin + strnlen(begin, end - start);
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

std::string StatementLayer::SlotText(const ColumnSlot& slot) const {
  std::string text;
  SlotTextInto(slot, false, text);
  return text;
}

}  // namespace tce
