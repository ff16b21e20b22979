// The exported functions that describe a result's columns and deliver
// their values.
#include <algorithm>

#include "api_internal.h"
#include "values.h"

using namespace tvcli;  // NOLINT: the exported functions only

namespace {

bool IsCharacterType(SQLSMALLINT type) {
  return type == SQL_CHAR || type == SQL_VARCHAR || type == SQL_LONGVARCHAR;
}

bool IsNumericType(SQLSMALLINT type) {
  return !IsCharacterType(type) && type != SQL_TYPE_DATE;
}

// Bytes a value takes in its default C type.
SQLLEN OctetLength(const ColumnInfo& column) {
  switch (column.type) {
    case SQL_SMALLINT:
      return 2;
    case SQL_INTEGER:
    case SQL_REAL:
      return 4;
    case SQL_BIGINT:
    case SQL_DOUBLE:
      return 8;
    case SQL_DECIMAL:
      return static_cast<SQLLEN>(column.size) + 2;
    case SQL_TYPE_DATE:
      return 6;
    default:
      return static_cast<SQLLEN>(column.size);
  }
}

// Characters a value needs as text.
SQLLEN DisplaySize(const ColumnInfo& column) {
  switch (column.type) {
    case SQL_SMALLINT:
      return 6;
    case SQL_INTEGER:
      return 11;
    case SQL_BIGINT:
      return 20;
    case SQL_REAL:
      return 14;
    case SQL_DOUBLE:
      return 24;
    case SQL_DECIMAL:
      return static_cast<SQLLEN>(column.size) + 2;
    default:
      return static_cast<SQLLEN>(column.size);
  }
}

std::string TypeName(const ColumnInfo& column) {
  if (!column.type_name.empty()) return column.type_name;
  switch (column.type) {
    case SQL_BIGINT:
      return "BIGINT";
    case SQL_DOUBLE:
      return "FLOAT";
    default:
      return "VARCHAR";
  }
}

// A numeric attribute of the column; false for fields that are text.
bool NumericAttribute(const ColumnInfo& column, SQLUSMALLINT field,
                      SQLLEN* value) {
  const bool character = IsCharacterType(column.type);
  switch (field) {
    case SQL_DESC_TYPE:
      *value = column.type == SQL_TYPE_DATE ? SQL_DATETIME : column.type;
      return true;
    case SQL_DESC_CONCISE_TYPE:
      *value = column.type;
      return true;
    case SQL_DESC_DATETIME_INTERVAL_CODE:
      *value = column.type == SQL_TYPE_DATE ? SQL_CODE_DATE : 0;
      return true;
    case SQL_DESC_LENGTH:
    case SQL_COLUMN_PRECISION:
    case SQL_DESC_PRECISION:
      *value = static_cast<SQLLEN>(column.size);
      return true;
    case SQL_COLUMN_LENGTH:
    case SQL_DESC_OCTET_LENGTH:
      *value = OctetLength(column);
      return true;
    case SQL_COLUMN_SCALE:
    case SQL_DESC_SCALE:
      *value = column.digits;
      return true;
    case SQL_DESC_DISPLAY_SIZE:
      *value = DisplaySize(column);
      return true;
    case SQL_COLUMN_NULLABLE:
    case SQL_DESC_NULLABLE:
      *value = SQL_NULLABLE_UNKNOWN;
      return true;
    case SQL_DESC_UNSIGNED:
      *value = IsNumericType(column.type) ? SQL_FALSE : SQL_TRUE;
      return true;
    case SQL_DESC_FIXED_PREC_SCALE:
    case SQL_DESC_AUTO_UNIQUE_VALUE:
      *value = SQL_FALSE;
      return true;
    case SQL_DESC_UPDATABLE:
      *value = SQL_ATTR_READONLY;
      return true;
    case SQL_DESC_CASE_SENSITIVE:
      *value = character ? SQL_TRUE : SQL_FALSE;
      return true;
    case SQL_DESC_SEARCHABLE:
      *value = character ? SQL_PRED_SEARCHABLE : SQL_PRED_BASIC;
      return true;
    case SQL_DESC_NUM_PREC_RADIX:
      *value = IsNumericType(column.type) ? 10 : 0;
      return true;
    case SQL_DESC_UNNAMED:
      *value = column.name.empty() ? SQL_UNNAMED : SQL_NAMED;
      return true;
    default:
      return false;
  }
}

// A text attribute of the column; false for fields that are not text.
bool TextualAttribute(const ColumnInfo& column, SQLUSMALLINT field,
                      std::string* value) {
  switch (field) {
    case SQL_COLUMN_NAME:
    case SQL_DESC_NAME:
    case SQL_DESC_LABEL:
    case SQL_DESC_BASE_COLUMN_NAME:
      *value = column.name;
      return true;
    case SQL_DESC_TYPE_NAME:
    case SQL_DESC_LOCAL_TYPE_NAME:
      *value = TypeName(column);
      return true;
    case SQL_DESC_LITERAL_PREFIX:
    case SQL_DESC_LITERAL_SUFFIX:
      *value = IsNumericType(column.type) ? "" : "'";
      return true;
    case SQL_DESC_TABLE_NAME:
    case SQL_DESC_BASE_TABLE_NAME:
    case SQL_DESC_SCHEMA_NAME:
    case SQL_DESC_CATALOG_NAME:
      // SQLite does not say where an expression's column comes from.
      value->clear();
      return true;
    default:
      return false;
  }
}

}  // namespace

TVCLI_EXPORT SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT handle,
                                                SQLSMALLINT* count) {
  return Call<Stmt>(handle, Kind::kStmt, [&](Stmt& stmt) -> SQLRETURN {
    if (count == nullptr)
      return stmt.ClientError("HY009", "Invalid use of null pointer.");
    if (DescribeUnexecuted(stmt) != SQL_SUCCESS) return SQL_ERROR;
    *count = static_cast<SQLSMALLINT>(stmt.columns.size());
    return SQL_SUCCESS;
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLDescribeCol(
    SQLHSTMT handle, SQLUSMALLINT column, SQLCHAR* name, SQLSMALLINT name_max,
    SQLSMALLINT* name_length, SQLSMALLINT* type, SQLULEN* size,
    SQLSMALLINT* digits, SQLSMALLINT* nullable) {
  return Call<Stmt>(handle, Kind::kStmt, [&](Stmt& stmt) -> SQLRETURN {
    if (DescribeUnexecuted(stmt) != SQL_SUCCESS) return SQL_ERROR;
    if (column < 1 || column > stmt.columns.size()) {
      return stmt.ClientError("07009", "Invalid descriptor index.");
    }
    const ColumnInfo& info = stmt.columns[column - 1];
    if (name_length != nullptr)
      *name_length = static_cast<SQLSMALLINT>(info.name.size());
    if (type != nullptr) *type = info.type;
    if (size != nullptr) *size = info.size;
    if (digits != nullptr) *digits = info.digits;
    if (nullable != nullptr) *nullable = SQL_NULLABLE_UNKNOWN;
    if (CopyOut(info.name, name, name_max)) {
      stmt.Warning("01004", "String data, right truncated.");
      return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLColAttribute(
    SQLHSTMT handle, SQLUSMALLINT column, SQLUSMALLINT field,
    SQLPOINTER text, SQLSMALLINT text_max, SQLSMALLINT* text_length,
    SQLLEN* number) {
  return Call<Stmt>(handle, Kind::kStmt, [&](Stmt& stmt) -> SQLRETURN {
    if (DescribeUnexecuted(stmt) != SQL_SUCCESS) return SQL_ERROR;
    if (field == SQL_DESC_COUNT || field == SQL_COLUMN_COUNT) {
      if (number != nullptr) *number = static_cast<SQLLEN>(stmt.columns.size());
      return SQL_SUCCESS;
    }
    if (column < 1 || column > stmt.columns.size()) {
      return stmt.ClientError("07009", column < 1
                                            ? "Invalid descriptor index: "
                                              "bookmarks are not supported."
                                            : "Invalid descriptor index.");
    }
    const ColumnInfo& info = stmt.columns[column - 1];
    SQLLEN value = 0;
    if (NumericAttribute(info, field, &value)) {
      if (number != nullptr) *number = value;
      return SQL_SUCCESS;
    }
    std::string words;
    if (!TextualAttribute(info, field, &words)) {
      return stmt.ClientError("HY091", "Invalid descriptor field identifier.");
    }
    if (text_max < 0 && text != nullptr)
      return stmt.ClientError("HY090", "Invalid string or buffer length.");
    SQLLEN full = 0;
    const SQLRETURN rc = TextAttribute(stmt, words, text, text_max, &full);
    if (text_length != nullptr)
      *text_length = static_cast<SQLSMALLINT>(std::min<SQLLEN>(full, 32767));
    return rc;
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLBindCol(SQLHSTMT handle, SQLUSMALLINT column,
                                          SQLSMALLINT target, SQLPOINTER buffer,
                                          SQLLEN length, SQLLEN* indicator) {
  return Call<Stmt>(handle, Kind::kStmt, [&](Stmt& stmt) -> SQLRETURN {
    if (column < 1) {
      return stmt.ClientError("07009",
                               "Invalid descriptor index: bookmarks are "
                               "not supported.");
    }
    if (stmt.executed && column > stmt.columns.size()) {
      return stmt.ClientError("07009", "Invalid descriptor index.");
    }
    if (buffer != nullptr && !IsDeliverableType(target)) {
      return stmt.ClientError("HYC00",
                               "Optional feature not implemented: no conversion "
                               "to this program type.");
    }
    if (length < 0)
      return stmt.ClientError("HY090", "Invalid string or buffer length.");
    if (stmt.bindings.size() < column) stmt.bindings.resize(column);
    stmt.bindings[column - 1] = buffer == nullptr
                                     ? Binding{}
                                     : Binding{target, buffer, length, indicator};
    return SQL_SUCCESS;
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLGetData(SQLHSTMT handle, SQLUSMALLINT column,
                                          SQLSMALLINT target, SQLPOINTER buffer,
                                          SQLLEN capacity, SQLLEN* indicator) {
  return Call<Stmt>(handle, Kind::kStmt, [&](Stmt& stmt) -> SQLRETURN {
    return GetColumnData(stmt, column, target, buffer, capacity, indicator);
  });
}
