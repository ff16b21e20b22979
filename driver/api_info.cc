// The exported functions that answer what the driver and its connection
// are (SQLGetInfo, SQLGetFunctions) and what went wrong (the diagnostics).
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "api_internal.h"

using namespace tvcli;  // NOLINT: the exported functions only

namespace {

// Every function this library exports, as SQLGetFunctions reports them.
constexpr SQLUSMALLINT kFunctions[] = {
    SQL_API_SQLALLOCHANDLE,    SQL_API_SQLFREEHANDLE,
    SQL_API_SQLSETENVATTR,     SQL_API_SQLGETENVATTR,
    SQL_API_SQLDRIVERCONNECT,
    SQL_API_SQLCONNECT,        SQL_API_SQLDISCONNECT,
    SQL_API_SQLSETCONNECTATTR, SQL_API_SQLGETCONNECTATTR,
    SQL_API_SQLENDTRAN,        SQL_API_SQLSETSTMTATTR,
    SQL_API_SQLPREPARE,        SQL_API_SQLEXECUTE,
    SQL_API_SQLEXECDIRECT,     SQL_API_SQLNUMRESULTCOLS,
    SQL_API_SQLDESCRIBECOL,    SQL_API_SQLCOLATTRIBUTE,
    SQL_API_SQLBINDCOL,        SQL_API_SQLFETCH,
    SQL_API_SQLGETDATA,        SQL_API_SQLROWCOUNT,
    SQL_API_SQLMORERESULTS,    SQL_API_SQLCLOSECURSOR,
    SQL_API_SQLFREESTMT,       SQL_API_SQLERROR,
    SQL_API_SQLGETDIAGREC,     SQL_API_SQLGETDIAGFIELD,
    SQL_API_SQLGETINFO,        SQL_API_SQLGETFUNCTIONS,
};

bool Exported(SQLUSMALLINT id) {
  return std::find(std::begin(kFunctions), std::end(kFunctions), id) !=
         std::end(kFunctions);
}

enum class Form { kText, kSmall, kInteger };

struct Info {
  SQLUSMALLINT type;
  Form form;
  SQLUINTEGER number;
  const char* text;
};

// What does not depend on the connection.
constexpr Info kInfo[] = {
    {SQL_DRIVER_ODBC_VER, Form::kText, 0, "03.00"},
    {SQL_ODBC_VER, Form::kText, 0, "03.00"},
    {SQL_DBMS_NAME, Form::kText, 0, "Tarvex"},
    {SQL_DATA_SOURCE_READ_ONLY, Form::kText, 0, "Y"},
    {SQL_ACCESSIBLE_TABLES, Form::kText, 0, "Y"},
    {SQL_ACCESSIBLE_PROCEDURES, Form::kText, 0, "N"},
    {SQL_PROCEDURES, Form::kText, 0, "N"},
    {SQL_IDENTIFIER_QUOTE_CHAR, Form::kText, 0, "\""},
    {SQL_CATALOG_NAME_SEPARATOR, Form::kText, 0, ":"},
    {SQL_CATALOG_NAME, Form::kText, 0, "Y"},
    {SQL_CATALOG_TERM, Form::kText, 0, "database"},
    {SQL_SCHEMA_TERM, Form::kText, 0, "owner"},
    {SQL_TABLE_TERM, Form::kText, 0, "table"},
    {SQL_PROCEDURE_TERM, Form::kText, 0, ""},
    {SQL_SEARCH_PATTERN_ESCAPE, Form::kText, 0, ""},
    {SQL_MULT_RESULT_SETS, Form::kText, 0, "N"},
    {SQL_MULTIPLE_ACTIVE_TXN, Form::kText, 0, "Y"},
    {SQL_NEED_LONG_DATA_LEN, Form::kText, 0, "N"},
    {SQL_ROW_UPDATES, Form::kText, 0, "N"},
    {SQL_EXPRESSIONS_IN_ORDERBY, Form::kText, 0, "Y"},
    {SQL_ORDER_BY_COLUMNS_IN_SELECT, Form::kText, 0, "N"},
    {SQL_COLUMN_ALIAS, Form::kText, 0, "Y"},
    {SQL_LIKE_ESCAPE_CLAUSE, Form::kText, 0, "Y"},
    {SQL_OUTER_JOINS, Form::kText, 0, "Y"},
    {SQL_INTEGRITY, Form::kText, 0, "N"},
    {SQL_DESCRIBE_PARAMETER, Form::kText, 0, "N"},
    {SQL_MAX_ROW_SIZE_INCLUDES_LONG, Form::kText, 0, "N"},
    {SQL_KEYWORDS, Form::kText, 0, ""},
    {SQL_SPECIAL_CHARACTERS, Form::kText, 0, ""},
    {SQL_COLLATION_SEQ, Form::kText, 0, ""},
    {SQL_MAX_DRIVER_CONNECTIONS, Form::kSmall, 0, nullptr},
    {SQL_MAX_CONCURRENT_ACTIVITIES, Form::kSmall, 0, nullptr},
    {SQL_ACTIVE_ENVIRONMENTS, Form::kSmall, 0, nullptr},
    {SQL_TXN_CAPABLE, Form::kSmall, SQL_TC_NONE, nullptr},
    {SQL_CURSOR_COMMIT_BEHAVIOR, Form::kSmall, SQL_CB_PRESERVE, nullptr},
    {SQL_CURSOR_ROLLBACK_BEHAVIOR, Form::kSmall, SQL_CB_PRESERVE, nullptr},
    {SQL_MAX_COLUMN_NAME_LEN, Form::kSmall, 128, nullptr},
    {SQL_MAX_TABLE_NAME_LEN, Form::kSmall, 128, nullptr},
    {SQL_MAX_SCHEMA_NAME_LEN, Form::kSmall, 32, nullptr},
    {SQL_MAX_CATALOG_NAME_LEN, Form::kSmall, 128, nullptr},
    {SQL_MAX_IDENTIFIER_LEN, Form::kSmall, 128, nullptr},
    {SQL_MAX_CURSOR_NAME_LEN, Form::kSmall, 0, nullptr},
    {SQL_MAX_COLUMNS_IN_SELECT, Form::kSmall, 0, nullptr},
    {SQL_NULL_COLLATION, Form::kSmall, SQL_NC_LOW, nullptr},
    {SQL_IDENTIFIER_CASE, Form::kSmall, SQL_IC_MIXED, nullptr},
    {SQL_QUOTED_IDENTIFIER_CASE, Form::kSmall, SQL_IC_MIXED, nullptr},
    {SQL_CONCAT_NULL_BEHAVIOR, Form::kSmall, SQL_CB_NULL, nullptr},
    {SQL_CORRELATION_NAME, Form::kSmall, SQL_CN_ANY, nullptr},
    {SQL_NON_NULLABLE_COLUMNS, Form::kSmall, SQL_NNC_NON_NULL, nullptr},
    {SQL_GROUP_BY, Form::kSmall, SQL_GB_NO_RELATION, nullptr},
    {SQL_FILE_USAGE, Form::kSmall, SQL_FILE_NOT_SUPPORTED, nullptr},
    {SQL_ODBC_API_CONFORMANCE, Form::kSmall, SQL_OAC_NONE, nullptr},
    {SQL_ODBC_SQL_CONFORMANCE, Form::kSmall, SQL_OSC_MINIMUM, nullptr},
    {SQL_GETDATA_EXTENSIONS, Form::kInteger,
     SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND, nullptr},
    {SQL_SCROLL_OPTIONS, Form::kInteger, SQL_SO_FORWARD_ONLY, nullptr},
    {SQL_SCROLL_CONCURRENCY, Form::kInteger, SQL_SCCO_READ_ONLY, nullptr},
    {SQL_ASYNC_MODE, Form::kInteger, SQL_AM_NONE, nullptr},
    {SQL_MAX_ASYNC_CONCURRENT_STATEMENTS, Form::kInteger, 0, nullptr},
    {SQL_TXN_ISOLATION_OPTION, Form::kInteger, SQL_TXN_SERIALIZABLE, nullptr},
    {SQL_DEFAULT_TXN_ISOLATION, Form::kInteger, SQL_TXN_SERIALIZABLE, nullptr},
    {SQL_ODBC_INTERFACE_CONFORMANCE, Form::kInteger, SQL_OIC_CORE, nullptr},
    {SQL_SQL_CONFORMANCE, Form::kInteger, SQL_SC_SQL92_ENTRY, nullptr},
    {SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1, Form::kInteger, SQL_CA1_NEXT,
     nullptr},
    {SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2, Form::kInteger,
     SQL_CA2_READ_ONLY_CONCURRENCY, nullptr},
    {SQL_STATIC_CURSOR_ATTRIBUTES1, Form::kInteger, 0, nullptr},
    {SQL_STATIC_CURSOR_ATTRIBUTES2, Form::kInteger, 0, nullptr},
    {SQL_DYNAMIC_CURSOR_ATTRIBUTES1, Form::kInteger, 0, nullptr},
    {SQL_DYNAMIC_CURSOR_ATTRIBUTES2, Form::kInteger, 0, nullptr},
    {SQL_KEYSET_CURSOR_ATTRIBUTES1, Form::kInteger, 0, nullptr},
    {SQL_KEYSET_CURSOR_ATTRIBUTES2, Form::kInteger, 0, nullptr},
    {SQL_CURSOR_SENSITIVITY, Form::kInteger, SQL_UNSPECIFIED, nullptr},
    {SQL_BATCH_SUPPORT, Form::kInteger, 0, nullptr},
    {SQL_BATCH_ROW_COUNT, Form::kInteger, 0, nullptr},
    {SQL_PARAM_ARRAY_ROW_COUNTS, Form::kInteger, SQL_PARC_NO_BATCH, nullptr},
    {SQL_PARAM_ARRAY_SELECTS, Form::kInteger, SQL_PAS_NO_SELECT, nullptr},
    {SQL_BOOKMARK_PERSISTENCE, Form::kInteger, 0, nullptr},
    {SQL_POS_OPERATIONS, Form::kInteger, 0, nullptr},
    {SQL_LOCK_TYPES, Form::kInteger, 0, nullptr},
    {SQL_STATIC_SENSITIVITY, Form::kInteger, 0, nullptr},
    {SQL_CATALOG_USAGE, Form::kInteger, SQL_CU_DML_STATEMENTS, nullptr},
    {SQL_SCHEMA_USAGE, Form::kInteger, 0, nullptr},
    {SQL_CONVERT_FUNCTIONS, Form::kInteger, 0, nullptr},
    {SQL_NUMERIC_FUNCTIONS, Form::kInteger, 0, nullptr},
    {SQL_STRING_FUNCTIONS, Form::kInteger, 0, nullptr},
    {SQL_SYSTEM_FUNCTIONS, Form::kInteger, 0, nullptr},
    {SQL_TIMEDATE_FUNCTIONS, Form::kInteger, 0, nullptr},
    {SQL_DATETIME_LITERALS, Form::kInteger, 0, nullptr},
    {SQL_MAX_STATEMENT_LEN, Form::kInteger, 0, nullptr},
    {SQL_MAX_ROW_SIZE, Form::kInteger, 0, nullptr},
    {SQL_OJ_CAPABILITIES, Form::kInteger,
     SQL_OJ_LEFT | SQL_OJ_NESTED | SQL_OJ_NOT_ORDERED | SQL_OJ_INNER |
         SQL_OJ_ALL_COMPARISON_OPS,
     nullptr},
    {SQL_AGGREGATE_FUNCTIONS, Form::kInteger,
     SQL_AF_ALL | SQL_AF_AVG | SQL_AF_COUNT | SQL_AF_DISTINCT | SQL_AF_MAX |
         SQL_AF_MIN | SQL_AF_SUM,
     nullptr},
};

// The file name this library was loaded from.
std::string LibraryName() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&LibraryName), &info) == 0 ||
      info.dli_fname == nullptr) {
    return "libtvcli09b.so";
  }
  const std::string path = info.dli_fname;
  return path.substr(path.rfind('/') + 1);
}

// "##.##.####" and then the server's own words for its version.
std::string DbmsVersion(const std::string& version) {
  int major = 0;
  int minor = 0;
  if (std::sscanf(version.c_str(), "%d.%d", &major, &minor) < 1) return version;
  char formatted[32];
  std::snprintf(formatted, sizeof formatted, "%02d.%02d.0000 ",
                std::clamp(major, 0, 99), std::clamp(minor, 0, 99));
  return formatted + version;
}

// Text the connection answers; false when `type` is not such a question.
bool ConnectionText(const Dbc& dbc, SQLUSMALLINT type, std::string* text) {
  switch (type) {
    case SQL_DRIVER_NAME:
      *text = LibraryName();
      return true;
    case SQL_DRIVER_VER: {
      char version[32];
      std::snprintf(version, sizeof version, "%02d.%02d.%04d",
                    TVCLI_VERSION_MAJOR, TVCLI_VERSION_MINOR,
                    TVCLI_VERSION_PATCH);
      *text = version;
      return true;
    }
    case SQL_DBMS_VER:
      *text = DbmsVersion(dbc.server_version);
      return true;
    case SQL_DATA_SOURCE_NAME:
      *text = dbc.data_source;
      return true;
    case SQL_DATABASE_NAME:
      *text = dbc.database;
      return true;
    case SQL_SERVER_NAME:
      *text = dbc.server;
      return true;
    case SQL_USER_NAME:
      *text = dbc.user;
      return true;
    default:
      return false;
  }
}

SQLRETURN InfoAnswer(Dbc& dbc, const Info& info, SQLPOINTER value,
                     SQLSMALLINT capacity, SQLSMALLINT* length) {
  if (info.form == Form::kText) {
    if (capacity < 0)
      return dbc.ClientError("HY090", "Invalid string or buffer length.");
    SQLLEN full = 0;
    const SQLRETURN rc = TextAttribute(dbc, info.text, value, capacity, &full);
    if (length != nullptr)
      *length = static_cast<SQLSMALLINT>(std::min<SQLLEN>(full, 32767));
    return rc;
  }
  if (info.form == Form::kSmall) {
    const auto number = static_cast<SQLUSMALLINT>(info.number);
    if (value != nullptr) std::memcpy(value, &number, sizeof number);
    if (length != nullptr) *length = sizeof number;
    return SQL_SUCCESS;
  }
  if (value != nullptr) std::memcpy(value, &info.number, sizeof info.number);
  if (length != nullptr) *length = sizeof info.number;
  return SQL_SUCCESS;
}

SQLRETURN WriteDiag(const DiagRecord& record, SQLCHAR* state,
                    SQLINTEGER* native, SQLCHAR* message, SQLSMALLINT capacity,
                    SQLSMALLINT* length) {
  if (state != nullptr) CopyOut(record.state, state, 6);
  if (native != nullptr) *native = record.native;
  if (length != nullptr) {
    *length = static_cast<SQLSMALLINT>(
        std::min<size_t>(record.message.size(), 32767));
  }
  return CopyOut(record.message, message, capacity) ? SQL_SUCCESS_WITH_INFO
                                                    : SQL_SUCCESS;
}

Handle* DiagnosticHandle(SQLSMALLINT type, SQLHANDLE handle,
                         std::shared_ptr<Handle>& pin) {
  switch (type) {
    case SQL_HANDLE_ENV:
      return Lookup(handle, Kind::kEnv, pin);
    case SQL_HANDLE_DBC:
      return Lookup(handle, Kind::kDbc, pin);
    case SQL_HANDLE_STMT:
      return Lookup(handle, Kind::kStmt, pin);
    default:
      return nullptr;
  }
}

// States of classes and subclasses that ODBC added to the SQL standard's.
bool OdbcDefined(const std::string& state, bool subclass) {
  if (state.rfind("HY", 0) == 0 || state.rfind("IM", 0) == 0) return true;
  return subclass && state.size() == 5 && state[2] == 'S';
}

// A diagnostic field written as text.
SQLRETURN DiagText(const std::string& text, SQLPOINTER value,
                   SQLSMALLINT capacity, SQLSMALLINT* length) {
  if (capacity < 0 && value != nullptr) return SQL_ERROR;
  if (length != nullptr)
    *length = static_cast<SQLSMALLINT>(std::min<size_t>(text.size(), 32767));
  return CopyOut(text, static_cast<SQLCHAR*>(value), capacity)
             ? SQL_SUCCESS_WITH_INFO
             : SQL_SUCCESS;
}

template <typename T>
SQLRETURN DiagNumber(T number, SQLPOINTER value) {
  if (value != nullptr) std::memcpy(value, &number, sizeof number);
  return SQL_SUCCESS;
}

std::string ServerNameOf(const Handle& handle) {
  if (handle.kind == Kind::kDbc)
    return static_cast<const Dbc&>(handle).database;
  if (handle.kind == Kind::kStmt)
    return static_cast<const Stmt&>(handle).dbc->database;
  return {};
}

SQLRETURN HeaderField(const Handle& handle, SQLSMALLINT field,
                      SQLPOINTER value, SQLSMALLINT capacity,
                      SQLSMALLINT* length) {
  const bool statement = handle.kind == Kind::kStmt;
  const bool executed =
      statement && static_cast<const Stmt&>(handle).executed;
  switch (field) {
    case SQL_DIAG_NUMBER:
      return DiagNumber(static_cast<SQLINTEGER>(handle.diags.size()), value);
    case SQL_DIAG_RETURNCODE:
      return DiagNumber(static_cast<SQLRETURN>(handle.last_rc), value);
    case SQL_DIAG_ROW_COUNT:
      if (!statement) return SQL_ERROR;
      return DiagNumber(static_cast<SQLLEN>(0), value);
    case SQL_DIAG_DYNAMIC_FUNCTION:
      if (!statement) return SQL_ERROR;
      return DiagText(executed ? "SELECT CURSOR" : "", value, capacity,
                      length);
    case SQL_DIAG_DYNAMIC_FUNCTION_CODE:
      if (!statement) return SQL_ERROR;
      return DiagNumber(static_cast<SQLINTEGER>(
                            executed ? SQL_DIAG_SELECT_CURSOR
                                     : SQL_DIAG_UNKNOWN_STATEMENT),
                        value);
    default:
      return SQL_ERROR;
  }
}

SQLRETURN RecordField(const Handle& handle, const DiagRecord& record,
                      SQLSMALLINT field, SQLPOINTER value,
                      SQLSMALLINT capacity, SQLSMALLINT* length) {
  switch (field) {
    case SQL_DIAG_SQLSTATE:
      return DiagText(record.state, value, capacity, length);
    case SQL_DIAG_NATIVE:
      return DiagNumber(record.native, value);
    case SQL_DIAG_MESSAGE_TEXT:
      return DiagText(record.message, value, capacity, length);
    case SQL_DIAG_CLASS_ORIGIN:
      return DiagText(OdbcDefined(record.state, false) ? "ODBC 3.0"
                                                        : "ISO 9075",
                      value, capacity, length);
    case SQL_DIAG_SUBCLASS_ORIGIN:
      return DiagText(OdbcDefined(record.state, true) ? "ODBC 3.0"
                                                       : "ISO 9075",
                      value, capacity, length);
    case SQL_DIAG_CONNECTION_NAME:
      return DiagText("", value, capacity, length);
    case SQL_DIAG_SERVER_NAME:
      return DiagText(ServerNameOf(handle), value, capacity, length);
    case SQL_DIAG_COLUMN_NUMBER:
      if (handle.kind != Kind::kStmt) return SQL_ERROR;
      return DiagNumber(static_cast<SQLINTEGER>(SQL_COLUMN_NUMBER_UNKNOWN),
                        value);
    case SQL_DIAG_ROW_NUMBER:
      if (handle.kind != Kind::kStmt) return SQL_ERROR;
      return DiagNumber(static_cast<SQLLEN>(SQL_ROW_NUMBER_UNKNOWN), value);
    default:
      return SQL_ERROR;
  }
}

bool IsHeaderField(SQLSMALLINT field) {
  return field == SQL_DIAG_NUMBER || field == SQL_DIAG_ROW_COUNT ||
         field == SQL_DIAG_DYNAMIC_FUNCTION ||
         field == SQL_DIAG_DYNAMIC_FUNCTION_CODE ||
         field == SQL_DIAG_RETURNCODE || field == SQL_DIAG_CURSOR_ROW_COUNT;
}

}  // namespace

TVCLI_EXPORT SQLRETURN SQL_API SQLGetInfo(SQLHDBC handle, SQLUSMALLINT type,
                                          SQLPOINTER value,
                                          SQLSMALLINT capacity,
                                          SQLSMALLINT* length) {
  return Call<Dbc>(handle, Kind::kDbc, [&](Dbc& dbc) -> SQLRETURN {
    // The versions of ODBC are known before a connection; all else needs one.
    if (!dbc.connected() && type != SQL_ODBC_VER &&
        type != SQL_DRIVER_ODBC_VER) {
      return dbc.ClientError("08003", "Connection not open.");
    }
    std::string text;
    if (ConnectionText(dbc, type, &text)) {
      return InfoAnswer(dbc, Info{type, Form::kText, 0, text.c_str()}, value,
                        capacity, length);
    }
    for (const Info& info : kInfo) {
      if (info.type == type)
        return InfoAnswer(dbc, info, value, capacity, length);
    }
    return dbc.ClientError("HY096", "Information type out of range.");
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLGetFunctions(SQLHDBC handle,
                                               SQLUSMALLINT function,
                                               SQLUSMALLINT* supported) {
  return Call<Dbc>(handle, Kind::kDbc, [&](Dbc& dbc) -> SQLRETURN {
    if (supported == nullptr)
      return dbc.ClientError("HY009", "Invalid use of null pointer.");
    if (function == SQL_API_ODBC3_ALL_FUNCTIONS) {
      std::fill_n(supported, SQL_API_ODBC3_ALL_FUNCTIONS_SIZE, 0);
      // One bit per function number, sixteen to an element.
      for (SQLUSMALLINT id : kFunctions)
        supported[id >> 4] |= static_cast<SQLUSMALLINT>(1u << (id & 0xF));
      return SQL_SUCCESS;
    }
    if (function == SQL_API_ALL_FUNCTIONS) {
      // The ODBC 2 form: one flag for each of the first 100 function numbers.
      for (SQLUSMALLINT id = 0; id < 100; ++id)
        supported[id] = Exported(id) ? SQL_TRUE : SQL_FALSE;
      return SQL_SUCCESS;
    }
    *supported = Exported(function) ? SQL_TRUE : SQL_FALSE;
    return SQL_SUCCESS;
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLError(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt,
                                        SQLCHAR* state, SQLINTEGER* native,
                                        SQLCHAR* message, SQLSMALLINT capacity,
                                        SQLSMALLINT* length) {
  std::shared_ptr<Handle> pin;
  Handle* handle = stmt != SQL_NULL_HSTMT ? Lookup(stmt, Kind::kStmt, pin)
                   : dbc != SQL_NULL_HDBC ? Lookup(dbc, Kind::kDbc, pin)
                                          : Lookup(env, Kind::kEnv, pin);
  if (handle == nullptr) return SQL_INVALID_HANDLE;
  std::lock_guard<std::recursive_mutex> lock(handle->Mutex());
  if (handle->freed) return SQL_INVALID_HANDLE;
  if (handle->diags.empty()) return SQL_NO_DATA;
  const DiagRecord record = handle->diags.front();
  handle->diags.pop_front();
  return WriteDiag(record, state, native, message, capacity, length);
}

TVCLI_EXPORT SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle,
                                             SQLSMALLINT record, SQLCHAR* state,
                                             SQLINTEGER* native,
                                             SQLCHAR* message,
                                             SQLSMALLINT capacity,
                                             SQLSMALLINT* length) {
  std::shared_ptr<Handle> pin;
  Handle* target = DiagnosticHandle(type, handle, pin);
  if (target == nullptr) return SQL_INVALID_HANDLE;
  std::lock_guard<std::recursive_mutex> lock(target->Mutex());
  if (target->freed) return SQL_INVALID_HANDLE;
  if (record < 1 || capacity < 0) return SQL_ERROR;
  if (static_cast<size_t>(record) > target->diags.size()) return SQL_NO_DATA;
  return WriteDiag(target->diags[record - 1], state, native, message, capacity,
                   length);
}

TVCLI_EXPORT SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type,
                                               SQLHANDLE handle,
                                               SQLSMALLINT record,
                                               SQLSMALLINT field,
                                               SQLPOINTER value,
                                               SQLSMALLINT capacity,
                                               SQLSMALLINT* length) {
  std::shared_ptr<Handle> pin;
  Handle* target = DiagnosticHandle(type, handle, pin);
  if (target == nullptr) return SQL_INVALID_HANDLE;
  std::lock_guard<std::recursive_mutex> lock(target->Mutex());
  if (target->freed) return SQL_INVALID_HANDLE;
  if (IsHeaderField(field))
    return HeaderField(*target, field, value, capacity, length);
  if (record < 1) return SQL_ERROR;
  if (static_cast<size_t>(record) > target->diags.size()) return SQL_NO_DATA;
  return RecordField(*target, target->diags[record - 1], field, value,
                     capacity, length);
}
