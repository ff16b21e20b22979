// Converting a column's value for the application: the text a server
// sends for it, cut into parts, as UTF-16, or as a C number. What every
// fetch of text calls is inline here.
#ifndef TVCLI_VALUES_H_
#define TVCLI_VALUES_H_

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "handles.h"

namespace tvcli {

// The text a server sends for a value of SQLite type `type`; `number`
// holds it for numbers.
inline std::string_view ValueText(sqlite3_value* value, int type,
                                  char (&number)[40]) {
  if (type == SQLITE_FLOAT) {
    const int written = std::snprintf(number, sizeof number, "%.15g",
                                      sqlite3_value_double(value));
    return {number, static_cast<size_t>(std::max(written, 0))};
  }
  if (type == SQLITE_INTEGER) {
    const auto result = std::to_chars(number, number + sizeof number,
                                      sqlite3_value_int64(value));
    return {number, static_cast<size_t>(result.ptr - number)};
  }
  const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  return {text != nullptr ? text : "",
          static_cast<size_t>(sqlite3_value_bytes(value))};
}

// Writes as much of `text` (bytes, in characters of `unit` bytes) from
// `offset` as fits, zero-terminated; returns how many bytes went.
inline size_t WritePart(std::string_view text, size_t offset, SQLPOINTER buffer,
                        SQLLEN capacity, size_t unit = 1) {
  if (buffer == nullptr || capacity < static_cast<SQLLEN>(unit)) return 0;
  const size_t room = (static_cast<size_t>(capacity) - unit) / unit * unit;
  const size_t count = std::min(room, text.size() - offset);
  char* out = static_cast<char*>(buffer);
  if (count > 0) std::memcpy(out, text.data() + offset, count);
  std::memset(out + count, 0, unit);
  return count;
}

// The C types SQLBindCol and SQLGetData deliver; SQL_C_DEFAULT resolves
// from the column's SQL type.
bool IsDeliverableType(SQLSMALLINT target);

// The C type SQL_C_DEFAULT stands for, by the column's SQL type; other
// targets as they are.
inline SQLSMALLINT ResolveTarget(SQLSMALLINT target, const ColumnInfo& column) {
  if (target != SQL_C_DEFAULT) return target;
  switch (column.type) {
    case SQL_SMALLINT:
      return SQL_C_SSHORT;
    case SQL_INTEGER:
      return SQL_C_SLONG;
    case SQL_BIGINT:
      return SQL_C_SBIGINT;
    case SQL_REAL:
      return SQL_C_FLOAT;
    case SQL_DOUBLE:
      return SQL_C_DOUBLE;
    case SQL_TYPE_DATE:
      return SQL_C_TYPE_DATE;
    default:
      return SQL_C_CHAR;
  }
}

// Whether the target takes text (SQL_C_CHAR or SQL_C_WCHAR).
inline bool IsCharacter(SQLSMALLINT target) {
  return target == SQL_C_CHAR || target == SQL_C_WCHAR;
}

// The bytes a character target receives for a value's text: the text
// itself, or its UTF-16 form kept in `wide`.
std::string_view TargetText(std::string_view text, SQLSMALLINT target,
                            std::u16string& wide);

// The size of one character of a character target.
inline size_t UnitOf(SQLSMALLINT target) {
  return target == SQL_C_WCHAR ? sizeof(char16_t) : 1;
}

// Delivers a value as the C number or date `target` names (any target but
// text). A number: 22018 when its text is not one, 22003 when it does not
// fit, 01S07 when a fraction is cut. A date or timestamp from its text
// ("YYYY-MM-DD", a time of day after it for a timestamp): 22018 when the
// text is not one, 01S07 when a date drops a time of day.
SQLRETURN StoreValue(Stmt& stmt, sqlite3_value* value, int type,
                     SQLSMALLINT target, SQLPOINTER buffer, SQLLEN* indicator);

}  // namespace tvcli

#endif  // TVCLI_VALUES_H_
