#include <algorithm>
#include <cstring>

#include "api_internal.h"

namespace tvcli {

std::string Text(const SQLCHAR* text, SQLINTEGER length) {
  if (text == nullptr) return {};
  const char* chars = reinterpret_cast<const char*>(text);
  if (length == SQL_NTS) return std::string(chars);
  return std::string(chars,
                     static_cast<size_t>(std::max<SQLINTEGER>(length, 0)));
}

bool CopyOut(const std::string& text, SQLCHAR* buffer, SQLLEN capacity) {
  // Without a buffer the caller asks only for the length: nothing is cut.
  if (buffer == nullptr) return false;
  if (capacity <= 0) return !text.empty();
  const size_t room = static_cast<size_t>(capacity) - 1;
  const size_t count = std::min(room, text.size());
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return text.size() > room;
}

SQLRETURN TextAttribute(Handle& handle, const std::string& text,
                        SQLPOINTER buffer, SQLLEN capacity, SQLLEN* length) {
  if (length != nullptr) *length = static_cast<SQLLEN>(text.size());
  // Without a buffer the caller asks only for the length.
  if (buffer == nullptr) return SQL_SUCCESS;
  if (CopyOut(text, static_cast<SQLCHAR*>(buffer), capacity)) {
    handle.Warning("01004", "String data, right truncated.");
    return SQL_SUCCESS_WITH_INFO;
  }
  return SQL_SUCCESS;
}

SQLRETURN SqliteError(Handle& handle, sqlite3* db, int rc) {
  const std::string message =
      db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  const int primary = rc & 0xff;
  auto after = [&](const char* prefix) {
    return message.substr(std::strlen(prefix));
  };
  if (message.rfind("no such table: ", 0) == 0) {
    return handle.ServerError("42S02", -1002,
                              "Table " + after("no such table: ") +
                                  " does not exist in this database.");
  }
  if (message.rfind("no such column: ", 0) == 0) {
    return handle.ServerError("42S22", -1003,
                              "Column " + after("no such column: ") +
                                  " is not known in this statement.");
  }
  if (message.find("syntax error") != std::string::npos ||
      message.rfind("incomplete input", 0) == 0) {
    return handle.ServerError("42000", -1001,
                              "Statement not understood (" + message + ").");
  }
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
    return handle.ServerError(
        "HYT00", -1004,
        "Could not read the catalog: it is locked (" + message + ").");
  }
  if (primary == SQLITE_READONLY) {
    return handle.ServerError("42000", -1005,
                              "The catalog cannot be changed through this "
                              "driver (" +
                                  message + ").");
  }
  if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT) {
    return handle.ServerError("HY000", -1006,
                              "The catalog file is damaged or not a "
                              "database (" +
                                  message + ").");
  }
  return handle.ServerError("HY000", -rc, message);
}

void FreeStatement(Stmt* stmt) {
  // The cursor goes now: the memory may outlive the connection's database.
  stmt->CloseCursor();
  stmt->freed = true;
  stmt->dbc->statements.erase(stmt);
  Unregister(stmt);
}

}  // namespace tvcli
