#include "db/handles.h"

#include <sqlext.h>

#include <cstring>

#include "base/text_util.h"

namespace tce {
namespace {

constexpr int kMessageSize = 512;

// The text after the third "]", or the whole text when it has fewer.
std::string WithoutPrefixes(std::string text) {
  int brackets = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ']' && ++brackets == 3) {
      text.erase(0, i + 1);
      break;
    }
  }
  return std::string(TrimSpaces(text));
}

}  // namespace

Diagnostic ReadDiagnostic(CliLibrary& library, SQLHENV env, SQLHDBC dbc,
                          SQLHSTMT stmt) {
  SQLCHAR state[10] = {};
  SQLINTEGER native = 0;
  SQLCHAR message[kMessageSize] = {};
  SQLSMALLINT length = 0;
  const SQLRETURN rc = library.Error(env, dbc, stmt, state, &native, message,
                                     kMessageSize, &length);
  // A driver without SQLError simply says nothing.
  const bool missing = !library.TakeFailure().empty();
  Diagnostic diagnostic;
  diagnostic.read_rc = missing ? SQL_ERROR : rc;
  if (missing || rc != SQL_SUCCESS) return diagnostic;
  message[kMessageSize - 1] = '\0';
  state[sizeof state - 1] = '\0';
  diagnostic.sqlstate = reinterpret_cast<const char*>(state);
  diagnostic.native = native;
  diagnostic.text = WithoutPrefixes(reinterpret_cast<const char*>(message));
  return diagnostic;
}

Status CallFailure(CliLibrary& library, const char* call, SQLRETURN rc,
                   SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt) {
  std::string unavailable = library.TakeFailure();
  if (!unavailable.empty()) {
    return Status::DriverFailure(call, rc, {"", 0, std::move(unavailable)});
  }
  return Status::DriverFailure(call, rc,
                               ReadDiagnostic(library, env, dbc, stmt));
}

CliHandle& CliHandle::operator=(CliHandle&& other) noexcept {
  if (this != &other) {
    Free();
    library_ = other.library_;
    type_ = other.type_;
    handle_ = other.handle_;
    other.handle_ = SQL_NULL_HANDLE;
  }
  return *this;
}

Status CliHandle::Allocate(CliLibrary& library, SQLSMALLINT type,
                           SQLHANDLE parent, SQLHENV env, SQLHDBC dbc,
                           CliHandle& out) {
  out.Free();
  SQLHANDLE handle = SQL_NULL_HANDLE;
  const SQLRETURN rc = library.AllocHandle(type, parent, &handle);
  if (!Succeeded(rc) || handle == SQL_NULL_HANDLE) {
    // A handle handed out with a failure is freed once its diagnostic has
    // been read; a failed environment is the one place to read it from.
    CliHandle failed;
    if (handle != SQL_NULL_HANDLE) {
      failed.library_ = &library;
      failed.type_ = type;
      failed.handle_ = handle;
      if (type == SQL_HANDLE_ENV) env = handle;
    }
    return CallFailure(library, "SQLAllocHandle",
                       Succeeded(rc) ? SQL_ERROR : rc, env, dbc,
                       SQL_NULL_HSTMT);
  }
  out.library_ = &library;
  out.type_ = type;
  out.handle_ = handle;
  return Status();
}

void CliHandle::Free() {
  if (handle_ == SQL_NULL_HANDLE) return;
  const SQLHANDLE handle = handle_;
  handle_ = SQL_NULL_HANDLE;
  if (type_ == SQL_HANDLE_STMT) {
    library_->FreeStmt(handle, SQL_DROP);
  } else {
    library_->FreeHandle(type_, handle);
  }
  library_->TakeFailure();
}

}  // namespace tce
