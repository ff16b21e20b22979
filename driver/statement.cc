// Statements over the catalog: compiled by SQLite at execution, their
// columns described as the server describes its types, their values
// delivered as text or as C numbers.
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
#include "dialect.h"

namespace tvcli {
namespace {

// The offset of a value that went out whole: asked again, it has no more.
constexpr size_t kDelivered = std::numeric_limits<size_t>::max();

// The SQL type and size a server reports for a declared catalog type.
ColumnInfo DescribeDeclared(const char* declared) {
  ColumnInfo info;
  const std::string type = Upper(declared);
  const size_t paren = type.find('(');
  const std::string base = type.substr(0, paren);
  info.type_name = base;
  long size = -1;
  long digits = 0;
  if (paren != std::string::npos) {
    std::sscanf(type.c_str() + paren, "(%ld,%ld", &size, &digits);
  }
  auto sized = [&](SQLSMALLINT sql_type, long fallback) {
    info.type = sql_type;
    info.size = static_cast<SQLULEN>(size > 0 ? size : fallback);
  };
  if (base.rfind("STAT", 0) == 0) {
    sized(-101, 256);
  } else if (base == "CHAR" || base == "NCHAR" || base == "CHARACTER") {
    sized(SQL_CHAR, 1);
  } else if (base == "VARCHAR" || base == "NVARCHAR") {
    sized(SQL_VARCHAR, 255);
  } else if (base == "LVARCHAR" || base == "TEXT" || base == "CLOB") {
    sized(SQL_LONGVARCHAR, 2048);
  } else if (base == "SMALLINT") {
    sized(SQL_SMALLINT, 5);
  } else if (base == "INTEGER" || base == "INT" || base == "SERIAL") {
    sized(SQL_INTEGER, 10);
  } else if (base == "BIGINT" || base == "INT8" || base == "SERIAL8" ||
             base == "BIGSERIAL") {
    sized(SQL_BIGINT, 19);
  } else if (base == "FLOAT" || base == "DOUBLE") {
    sized(SQL_DOUBLE, 15);
  } else if (base == "REAL" || base == "SMALLFLOAT") {
    sized(SQL_REAL, 7);
  } else if (base == "DECIMAL" || base == "NUMERIC" || base == "MONEY") {
    sized(SQL_DECIMAL, 16);
    info.digits = static_cast<SQLSMALLINT>(digits);
  } else if (base == "DATE") {
    sized(SQL_TYPE_DATE, 10);
  } else {
    sized(SQL_VARCHAR, 255);
  }
  return info;
}

// An expression column has no declared type: describe it from its value in
// the first row, as far as there is one.
ColumnInfo DescribeValue(sqlite3_stmt* vm, int column, bool have_row) {
  ColumnInfo info;
  if (!have_row) return info;
  switch (sqlite3_column_type(vm, column)) {
    case SQLITE_INTEGER:
      info.type = SQL_BIGINT;
      info.size = 19;
      break;
    case SQLITE_FLOAT:
      info.type = SQL_DOUBLE;
      info.size = 15;
      break;
    default:
      info.size = std::max<SQLULEN>(
          255, static_cast<SQLULEN>(sqlite3_column_bytes(vm, column)));
      break;
  }
  return info;
}

void DescribeColumns(Stmt& stmt, bool have_row) {
  stmt.columns.clear();
  const int count = sqlite3_column_count(stmt.vm);
  for (int i = 0; i < count; ++i) {
    const char* declared = sqlite3_column_decltype(stmt.vm, i);
    ColumnInfo info = declared != nullptr ? DescribeDeclared(declared)
                                          : DescribeValue(stmt.vm, i, have_row);
    const char* name = sqlite3_column_name(stmt.vm, i);
    info.name = name != nullptr ? name : "";
    stmt.columns.push_back(info);
  }
}

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

// The text a server sends for a value; `number` holds it for numbers.
std::string_view ValueText(sqlite3_stmt* vm, int column, int type,
                           char (&number)[40]) {
  if (type == SQLITE_FLOAT) {
    const int written = std::snprintf(number, sizeof number, "%.15g",
                                      sqlite3_column_double(vm, column));
    return {number, static_cast<size_t>(std::max(written, 0))};
  }
  if (type == SQLITE_INTEGER) {
    const auto result = std::to_chars(number, number + sizeof number,
                                      sqlite3_column_int64(vm, column));
    return {number, static_cast<size_t>(result.ptr - number)};
  }
  const char* text = reinterpret_cast<const char*>(sqlite3_column_text(vm, column));
  return {text != nullptr ? text : "",
          static_cast<size_t>(sqlite3_column_bytes(vm, column))};
}

// UTF-8 as UTF-16 code units (SQLWCHAR's encoding); bytes that are not
// UTF-8 become U+FFFD.
std::u16string Utf16(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3
                          : lead >= 0xC2                 ? 2
                                                         : 0;
    char32_t code = length == 1 ? lead
                    : length == 2 ? lead & 0x1F
                    : length == 3 ? lead & 0x0F
                                  : lead & 0x07;
    bool valid = length > 0 && i + length <= text.size() && lead < 0xF5;
    for (size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (valid && (code < kLeast[length] || (code >= 0xD800 && code < 0xE000)))
      valid = false;
    if (!valid) {
      wide.push_back(u'\uFFFD');
      i += 1;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      wide.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      wide.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      wide.push_back(static_cast<char16_t>(code));
    }
    i += length;
  }
  return wide;
}

// Writes as much of `text` (bytes, in characters of `unit` bytes) from
// `offset` as fits, zero-terminated; returns how many bytes went.
size_t WritePart(std::string_view text, size_t offset, SQLPOINTER buffer,
                 SQLLEN capacity, size_t unit = 1) {
  if (buffer == nullptr || capacity < static_cast<SQLLEN>(unit)) return 0;
  const size_t room = (static_cast<size_t>(capacity) - unit) / unit * unit;
  const size_t count = std::min(room, text.size() - offset);
  char* out = static_cast<char*>(buffer);
  if (count > 0) std::memcpy(out, text.data() + offset, count);
  std::memset(out + count, 0, unit);
  return count;
}

SQLSMALLINT ResolveTarget(SQLSMALLINT target, const ColumnInfo& column) {
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
    default:
      return SQL_C_CHAR;
  }
}

bool IsCharacter(SQLSMALLINT target) {
  return target == SQL_C_CHAR || target == SQL_C_WCHAR;
}

// The bytes a character target receives for a value's text: the text
// itself, or its UTF-16 form kept in `wide`.
std::string_view TargetText(std::string_view text, SQLSMALLINT target,
                            std::u16string& wide) {
  if (target != SQL_C_WCHAR) return text;
  wide = Utf16(text);
  return {reinterpret_cast<const char*>(wide.data()),
          wide.size() * sizeof(char16_t)};
}

size_t UnitOf(SQLSMALLINT target) {
  return target == SQL_C_WCHAR ? sizeof(char16_t) : 1;
}

// A value read as a number: whole when it was stored or written as one.
struct Number {
  bool whole = false;
  int64_t integer = 0;
  double real = 0;
};

// Reads a column's value as a number; false when its text is not one.
bool ReadNumber(sqlite3_stmt* vm, int column, int type, Number* number) {
  if (type == SQLITE_INTEGER) {
    number->whole = true;
    number->integer = sqlite3_column_int64(vm, column);
    number->real = static_cast<double>(number->integer);
    return true;
  }
  if (type == SQLITE_FLOAT) {
    number->real = sqlite3_column_double(vm, column);
    return true;
  }
  char buffer[40];
  std::string_view text = ValueText(vm, column, type, buffer);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  if (text.empty() || text.size() > 100) return false;
  const char* end = text.data() + text.size();
  const auto whole = std::from_chars(text.data(), end, number->integer);
  if (whole.ec == std::errc() && whole.ptr == end) {
    number->whole = true;
    number->real = static_cast<double>(number->integer);
    return true;
  }
  const std::string copy(text);
  char* parsed_end = nullptr;
  number->real = std::strtod(copy.c_str(), &parsed_end);
  return parsed_end == copy.c_str() + copy.size() && !std::isnan(number->real);
}

template <typename T>
SQLRETURN StoreInteger(Stmt& stmt, const Number& number, SQLPOINTER buffer,
                       SQLLEN* indicator) {
  constexpr auto kMin = std::numeric_limits<T>::min();
  constexpr auto kMax = std::numeric_limits<T>::max();
  T value;
  bool fraction = false;
  if (number.whole) {
    if (number.integer < kMin || number.integer > kMax)
      return stmt.ClientError("22003", "Numeric value out of range.");
    value = static_cast<T>(number.integer);
  } else {
    const double truncated = std::trunc(number.real);
    // The bounds as doubles: -kMin (kMax + 1) is a power of two, exactly
    // held, where kMax itself may not be.
    if (!(truncated >= static_cast<double>(kMin) &&
          truncated < -static_cast<double>(kMin))) {
      return stmt.ClientError("22003", "Numeric value out of range.");
    }
    value = static_cast<T>(truncated);
    fraction = truncated != number.real;
  }
  std::memcpy(buffer, &value, sizeof value);
  if (indicator != nullptr) *indicator = sizeof value;
  if (fraction) {
    stmt.Warning("01S07", "Fractional truncation.");
    return SQL_SUCCESS_WITH_INFO;
  }
  return SQL_SUCCESS;
}

// Delivers a value as the C number `target` names.
SQLRETURN StoreNumber(Stmt& stmt, int column, int type, SQLSMALLINT target,
                      SQLPOINTER buffer, SQLLEN* indicator) {
  Number number;
  if (!ReadNumber(stmt.vm, column, type, &number)) {
    return stmt.ClientError("22018",
                            "Invalid character value for cast specification.");
  }
  switch (target) {
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
      return StoreInteger<SQLSMALLINT>(stmt, number, buffer, indicator);
    case SQL_C_SLONG:
    case SQL_C_LONG:
      return StoreInteger<SQLINTEGER>(stmt, number, buffer, indicator);
    case SQL_C_SBIGINT:
      return StoreInteger<SQLBIGINT>(stmt, number, buffer, indicator);
    case SQL_C_FLOAT: {
      if (std::fabs(number.real) > std::numeric_limits<float>::max())
        return stmt.ClientError("22003", "Numeric value out of range.");
      const float value = static_cast<float>(number.real);
      std::memcpy(buffer, &value, sizeof value);
      if (indicator != nullptr) *indicator = sizeof value;
      return SQL_SUCCESS;
    }
    default: {
      const double value = number.real;
      std::memcpy(buffer, &value, sizeof value);
      if (indicator != nullptr) *indicator = sizeof value;
      return SQL_SUCCESS;
    }
  }
}

// Worse of two results of delivering the values of one row.
SQLRETURN Worse(SQLRETURN a, SQLRETURN b) {
  if (a == SQL_ERROR || b == SQL_ERROR) return SQL_ERROR;
  if (a == SQL_SUCCESS_WITH_INFO || b == SQL_SUCCESS_WITH_INFO)
    return SQL_SUCCESS_WITH_INFO;
  return SQL_SUCCESS;
}

}  // namespace

bool IsDeliverableType(SQLSMALLINT target) {
  switch (target) {
    case SQL_C_DEFAULT:
    case SQL_C_CHAR:
    case SQL_C_WCHAR:
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
    case SQL_C_SLONG:
    case SQL_C_LONG:
    case SQL_C_SBIGINT:
    case SQL_C_FLOAT:
    case SQL_C_DOUBLE:
      return true;
    default:
      return false;
  }
}

void PrepareStatement(Stmt& stmt, const std::string& text) {
  // Preparation is deferred: the server sees the statement at execution,
  // which reports any error in it.
  stmt.CloseCursor();
  stmt.sql = TranslateStatement(text, stmt.dbc->qualifier);
  stmt.prepared = true;
}

SQLRETURN ExecuteStatement(Stmt& stmt) {
  if (!stmt.prepared)
    return stmt.ClientError("HY010", "Function sequence error.");
  if (!Compile(stmt)) return SQL_ERROR;
  const int rc = sqlite3_step(stmt.vm);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
    SqliteError(stmt, stmt.dbc->db, rc);
    stmt.CloseCursor();
    return SQL_ERROR;
  }
  stmt.executed = true;
  stmt.row_pending = rc == SQLITE_ROW;
  stmt.done = rc == SQLITE_DONE;
  DescribeColumns(stmt, stmt.row_pending);
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

SQLRETURN FetchRow(Stmt& stmt) {
  if (!stmt.executed) return stmt.ClientError("24000", "Invalid cursor state.");
  stmt.ForgetPartialData();
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
  bool truncated = false;
  SQLRETURN result = SQL_SUCCESS;
  const size_t columns = std::min(stmt.bindings.size(), stmt.columns.size());
  for (size_t i = 0; i < columns; ++i) {
    const Binding& binding = stmt.bindings[i];
    if (binding.buffer == nullptr) continue;
    const int column = static_cast<int>(i);
    const int type = sqlite3_column_type(stmt.vm, column);
    if (type == SQLITE_NULL) {
      if (binding.indicator != nullptr) *binding.indicator = SQL_NULL_DATA;
      continue;
    }
    const SQLSMALLINT target = ResolveTarget(binding.target, stmt.columns[i]);
    if (!IsCharacter(target)) {
      result = Worse(result, StoreNumber(stmt, column, type, target,
                                         binding.buffer, binding.indicator));
      continue;
    }
    char number[40];
    std::u16string wide;
    const std::string_view text = TargetText(
        ValueText(stmt.vm, column, type, number), target, wide);
    const size_t written =
        WritePart(text, 0, binding.buffer, binding.length, UnitOf(target));
    if (written < text.size()) truncated = true;
    if (binding.indicator != nullptr)
      *binding.indicator = static_cast<SQLLEN>(text.size());
  }
  if (truncated) {
    stmt.Warning("01004", "String data, right truncated.");
    result = Worse(result, SQL_SUCCESS_WITH_INFO);
  }
  return result;
}

SQLRETURN GetColumnData(Stmt& stmt, SQLUSMALLINT column, SQLSMALLINT target,
                        SQLPOINTER buffer, SQLLEN capacity, SQLLEN* indicator) {
  if (!stmt.on_row) return stmt.ClientError("24000", "Invalid cursor state.");
  if (column < 1 || column > stmt.columns.size()) {
    return stmt.ClientError("07009", column < 1
                                         ? "Invalid descriptor index: "
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
    stmt.part_column = column;
    stmt.part_offset = 0;
  }
  if (stmt.part_offset == kDelivered) return SQL_NO_DATA;
  const int index = column - 1;
  const int type = sqlite3_column_type(stmt.vm, index);
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
    return StoreNumber(stmt, index, type, resolved, buffer, indicator);
  }
  char number[40];
  std::u16string wide;
  const std::string_view text =
      TargetText(ValueText(stmt.vm, index, type, number), resolved, wide);
  const size_t offset = std::min(stmt.part_offset, text.size());
  const size_t written =
      WritePart(text, offset, buffer, capacity, UnitOf(resolved));
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

}  // namespace tvcli
