// The exported functions that prepare, run and step through statements.
#include "api_internal.h"

using namespace tvcli;  // NOLINT: the exported functions only

namespace {

// Takes the statement's text, or says why it cannot.
SQLRETURN PrepareText(Stmt& stmt, SQLCHAR* text, SQLINTEGER length) {
  if (text == nullptr)
    return stmt.ClientError("HY009", "Invalid use of null pointer.");
  if (length < 0 && length != SQL_NTS) {
    return stmt.ClientError("HY090", "Invalid string or buffer length.");
  }
  PrepareStatement(stmt, Text(text, length));
  return SQL_SUCCESS;
}

}  // namespace

TVCLI_EXPORT SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT handle, SQLINTEGER,
                                              SQLPOINTER, SQLINTEGER) {
  return Call<Stmt>(handle, Kind::kStmt, [&](Stmt&) -> SQLRETURN {
    // Escape scanning and the other statement options do not change how this
    // driver runs a statement.
    return SQL_SUCCESS;
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLPrepare(SQLHSTMT handle, SQLCHAR* text,
                                          SQLINTEGER length) {
  return Call<Stmt>(handle, Kind::kStmt, [&](Stmt& stmt) -> SQLRETURN {
    return PrepareText(stmt, text, length);
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLExecute(SQLHSTMT handle) {
  return Call<Stmt>(handle, Kind::kStmt, [&](Stmt& stmt) -> SQLRETURN {
    return ExecuteStatement(stmt);
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLExecDirect(SQLHSTMT handle, SQLCHAR* text,
                                             SQLINTEGER length) {
  return Call<Stmt>(handle, Kind::kStmt, [&](Stmt& stmt) -> SQLRETURN {
    if (PrepareText(stmt, text, length) != SQL_SUCCESS) return SQL_ERROR;
    return ExecuteStatement(stmt);
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLFetch(SQLHSTMT handle) {
  return Call<Stmt>(handle, Kind::kStmt, [&](Stmt& stmt) -> SQLRETURN {
    return FetchRow(stmt);
  });
}

// Statements only read: no row is changed, and the number of rows a query
// selects is not known before they are fetched.
TVCLI_EXPORT SQLRETURN SQL_API SQLRowCount(SQLHSTMT handle, SQLLEN* count) {
  return Call<Stmt>(handle, Kind::kStmt, [&](Stmt& stmt) -> SQLRETURN {
    if (count == nullptr)
      return stmt.ClientError("HY009", "Invalid use of null pointer.");
    if (!stmt.executed)
      return stmt.ClientError("HY010", "Function sequence error.");
    *count = -1;
    return SQL_SUCCESS;
  });
}

// A statement has one result at most: after it there is none, and its
// cursor is closed.
TVCLI_EXPORT SQLRETURN SQL_API SQLMoreResults(SQLHSTMT handle) {
  return Call<Stmt>(handle, Kind::kStmt, [&](Stmt& stmt) -> SQLRETURN {
    stmt.CloseCursor();
    return SQL_NO_DATA;
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT handle) {
  return Call<Stmt>(handle, Kind::kStmt, [&](Stmt& stmt) -> SQLRETURN {
    if (!stmt.executed)
      return stmt.ClientError("24000", "Invalid cursor state.");
    stmt.CloseCursor();
    return SQL_SUCCESS;
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT handle,
                                           SQLUSMALLINT option) {
  // Dropping frees the handle: it cannot be kept for the call's result.
  if (option == SQL_DROP) return SQLFreeHandle(SQL_HANDLE_STMT, handle);
  return Call<Stmt>(handle, Kind::kStmt, [&](Stmt& stmt) -> SQLRETURN {
    switch (option) {
      case SQL_CLOSE:
        stmt.CloseCursor();
        return SQL_SUCCESS;
      case SQL_UNBIND:
        stmt.bindings.clear();
        return SQL_SUCCESS;
      case SQL_RESET_PARAMS:
        return SQL_SUCCESS;
      default:
        return stmt.ClientError("HY092", "Invalid attribute/option identifier.");
    }
  });
}
