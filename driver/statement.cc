// Statements over the catalog: compiled by SQLite at execution, their
// columns described as the server describes its types, their rows stepped
// through and their values handed out (values.h converts them).
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

#include "api_internal.h"
#include "base/text_util.h"
#include "describe.h"
#include "dialect.h"
#include "values.h"

namespace tvcli {
namespace {

// The offset of a value that went out whole: asked again, it has no more.
constexpr size_t kDelivered = std::numeric_limits<size_t>::max();

// Compiles the statement's text; false with a diagnostic when it does not.
bool Compile(Stmt& stmt) {
  stmt.CloseCursor();
  sqlite3* db = stmt.dbc->db;
  const char* tail = nullptr;
  const int rc = sqlite3_prepare_v2(
      db, stmt.sql.c_str(), static_cast<int>(stmt.sql.size()), &stmt.vm, &tail);
  if (rc != SQLITE_OK) {
    SqliteError(stmt, db, rc);
    stmt.CloseCursor();
    return false;
  }
  if (stmt.vm == nullptr) {
    stmt.ServerError("42000", -1001, "Statement not understood (it is empty).");
    return false;
  }
  for (; tail != nullptr && *tail != '\0'; ++tail) {
    if (!std::isspace(static_cast<unsigned char>(*tail)) && *tail != ';') {
      stmt.CloseCursor();
      stmt.ServerError("42000", -1001,
                       "Only one statement can be executed at a time.");
      return false;
    }
  }
  return true;
}

// Worse of two results of delivering the values of one row.
SQLRETURN Worse(SQLRETURN a, SQLRETURN b) {
  if (a == SQL_ERROR || b == SQL_ERROR) return SQL_ERROR;
  if (a == SQL_SUCCESS_WITH_INFO || b == SQL_SUCCESS_WITH_INFO)
    return SQL_SUCCESS_WITH_INFO;
  return SQL_SUCCESS;
}

}  // namespace

void PrepareStatement(Stmt& stmt, const std::string& text) {
  // Preparation is deferred: the server sees the statement at execution,
  // which reports any error in it.
  stmt.CloseCursor();
  stmt.sql =
      BalanceLongOrChains(TranslateStatement(text, stmt.dbc->qualifier));
  stmt.prepared = true;
}

SQLRETURN ExecuteStatement(Stmt& stmt) {
  if (!stmt.prepared)
    return stmt.ClientError("HY010", "Function sequence error.");
  if (!Compile(stmt)) return SQL_ERROR;
  // Columns whose values decide their type are read through first.
  DescribeColumns(stmt, true);
  const int rc = sqlite3_step(stmt.vm);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
    SqliteError(stmt, stmt.dbc->db, rc);
    stmt.CloseCursor();
    return SQL_ERROR;
  }
  stmt.executed = true;
  stmt.row_pending = rc == SQLITE_ROW;
  stmt.done = rc == SQLITE_DONE;
  return SQL_SUCCESS;
}

SQLRETURN DescribeUnexecuted(Stmt& stmt) {
  if (stmt.executed || stmt.vm != nullptr) return SQL_SUCCESS;
  if (!stmt.prepared)
    return stmt.ClientError("HY010", "Function sequence error.");
  if (!Compile(stmt)) return SQL_ERROR;
  DescribeColumns(stmt, false);
  return SQL_SUCCESS;
}

namespace {

// Steps the statement to its next row (unless SQLExecute stepped to it
// already): SQL_SUCCESS on a row, SQL_NO_DATA past the last one.
SQLRETURN StepToRow(Stmt& stmt) {
  if (!stmt.row_pending) {
    stmt.on_row = false;
    if (stmt.done) return SQL_NO_DATA;
    const int rc = sqlite3_step(stmt.vm);
    if (rc == SQLITE_DONE) {
      stmt.done = true;
      return SQL_NO_DATA;
    }
    if (rc != SQLITE_ROW) {
      stmt.done = true;
      return SqliteError(stmt, stmt.dbc->db, rc);
    }
  }
  stmt.row_pending = false;
  stmt.on_row = true;
  return SQL_SUCCESS;
}

}  // namespace

SQLRETURN FetchRow(Stmt& stmt) {
  if (!stmt.executed) return stmt.ClientError("24000", "Invalid cursor state.");
  stmt.ForgetPartialData();
  if (const SQLRETURN rc = StepToRow(stmt); rc != SQL_SUCCESS) return rc;
  bool truncated = false;
  SQLRETURN result = SQL_SUCCESS;
  const size_t columns = std::min(stmt.bindings.size(), stmt.columns.size());
  for (size_t i = 0; i < columns; ++i) {
    const Binding& binding = stmt.bindings[i];
    if (binding.buffer == nullptr) continue;
    // Read through the value, not the statement, each further look at it
    // is a plain field access. SQLite takes no lock while it is read: the
    // catalog connection is opened without SQLite's own locks, as the
    // driver holds the calls on a connection to one at a time itself.
    sqlite3_value* value = sqlite3_column_value(stmt.vm, static_cast<int>(i));
    const int type = sqlite3_value_type(value);
    if (type == SQLITE_NULL) {
      if (binding.indicator != nullptr) *binding.indicator = SQL_NULL_DATA;
      continue;
    }
    const SQLSMALLINT target = ResolveTarget(binding.target, stmt.columns[i]);
    if (!IsCharacter(target)) {
      result = Worse(result, StoreValue(stmt, value, type, target,
                                         binding.buffer, binding.indicator));
      continue;
    }
    char number[40];
    const std::string_view text = ValueText(value, type, number);
    size_t full = text.size();
    size_t written;
    if (target == SQL_C_WCHAR) {
      std::u16string wide;
      const std::string_view units = TargetText(text, target, wide);
      full = units.size();
      written = WritePart(units, 0, binding.buffer, binding.length, 2);
    } else {
      // The common case, kept apart so that it compiles to a plain copy.
      written = WritePart(text, 0, binding.buffer, binding.length, 1);
    }
    if (written < full) truncated = true;
    if (binding.indicator != nullptr)
      *binding.indicator = static_cast<SQLLEN>(full);
  }
  if (truncated) {
    stmt.Warning("01004", "String data, right truncated.");
    result = Worse(result, SQL_SUCCESS_WITH_INFO);
  }
  return result;
}

namespace {

// The next part of a value as text (SQL_C_CHAR) or UTF-16 (SQL_C_WCHAR),
// with the length left before it in `indicator`.
SQLRETURN DeliverTextPart(Stmt& stmt, sqlite3_value* value, int type,
                          SQLSMALLINT target, SQLPOINTER buffer,
                          SQLLEN capacity, SQLLEN* indicator) {
  char number[40];
  std::string_view text = ValueText(value, type, number);
  if (target == SQL_C_WCHAR) {
    // Converted once per value: the further parts come from the same
    // conversion, so that reading a value in parts takes time linear in it.
    if (stmt.part_offset == 0 || !stmt.part_wide_ready) {
      TargetText(text, target, stmt.part_wide);
      stmt.part_wide_ready = true;
    }
    text = {reinterpret_cast<const char*>(stmt.part_wide.data()),
            stmt.part_wide.size() * sizeof(char16_t)};
  } else {
    stmt.part_wide_ready = false;
  }
  const size_t offset = std::min(stmt.part_offset, text.size());
  const size_t written =
      WritePart(text, offset, buffer, capacity, UnitOf(target));
  if (indicator != nullptr)
    *indicator = static_cast<SQLLEN>(text.size() - offset);
  if (offset + written < text.size()) {
    stmt.part_offset = offset + written;
    stmt.Warning("01004", "String data, right truncated.");
    return SQL_SUCCESS_WITH_INFO;
  }
  stmt.part_offset = kDelivered;
  return SQL_SUCCESS;
}

}  // namespace

SQLRETURN GetColumnData(Stmt& stmt, SQLUSMALLINT column, SQLSMALLINT target,
                        SQLPOINTER buffer, SQLLEN capacity, SQLLEN* indicator) {
  if (!stmt.on_row) return stmt.ClientError("24000", "Invalid cursor state.");
  if (column < 1 || column > stmt.columns.size()) {
    return stmt.ClientError("07009", column < 1 ? "Invalid descriptor index: "
                                                  "bookmarks are not supported."
                                                : "Invalid descriptor index.");
  }
  if (!IsDeliverableType(target)) {
    return stmt.ClientError("HYC00",
                            "Optional feature not implemented: no conversion "
                            "to this program type.");
  }
  if (buffer == nullptr)
    return stmt.ClientError("HY009", "Invalid use of null pointer.");
  if (capacity < 0)
    return stmt.ClientError("HY090", "Invalid string or buffer length.");
  if (stmt.part_column != column) {
    stmt.ForgetPartialData();
    stmt.part_column = column;
  }
  if (stmt.part_offset == kDelivered) return SQL_NO_DATA;
  const int index = column - 1;
  sqlite3_value* value = sqlite3_column_value(stmt.vm, index);
  const int type = sqlite3_value_type(value);
  if (type == SQLITE_NULL) {
    if (indicator == nullptr) {
      return stmt.ClientError("22002",
                              "Indicator variable required but not supplied.");
    }
    *indicator = SQL_NULL_DATA;
    stmt.part_offset = kDelivered;
    return SQL_SUCCESS;
  }
  const SQLSMALLINT resolved = ResolveTarget(target, stmt.columns[index]);
  if (!IsCharacter(resolved)) {
    stmt.part_offset = kDelivered;
    return StoreValue(stmt, value, type, resolved, buffer, indicator);
  }
  return DeliverTextPart(stmt, value, type, resolved, buffer, capacity,
                         indicator);
}

}  // namespace tvcli
