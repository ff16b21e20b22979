#include "db/cli_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include "base/text_file.h"

namespace tce {

namespace {

// The embedded driver: beside the program in the build tree, in the
// program's private library folder once installed.
std::string DefaultLibraryPath() {
  const std::string beside = ExecutableDirectory() + "/" + kDefaultCliLibrary;
  if (access(beside.c_str(), F_OK) == 0) return beside;
  const std::string installed = ExecutableDirectory() + "/../lib/" +
                                kProgramDataFolder + "/" + kDefaultCliLibrary;
  if (access(installed.c_str(), F_OK) == 0) return installed;
  return beside;
}

}  // namespace

CliLibrary::CliLibrary(std::string name) : name_(std::move(name)) {
  if (name_.empty()) name_ = DefaultLibraryPath();
}

void CliLibrary::SetName(std::string name) {
  if (load_attempted_) return;
  name_ = std::move(name);
  if (name_.empty()) name_ = DefaultLibraryPath();
}

CliLibrary::~CliLibrary() {
  // The library stays loaded: drivers commonly keep threads or atexit
  // handlers that must not outlive their code.
}

std::string CliLibrary::TakeFailure() {
  std::string failure = std::move(failure_);
  failure_.clear();
  return failure;
}

void CliLibrary::Load() {
  if (load_attempted_) return;
  load_attempted_ = true;
  handle_ = dlopen(name_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* error = dlerror();
    load_error_ = error != nullptr ? error : "cannot load " + name_;
  }
}

std::string CliLibrary::LoadFailure() {
  Load();
  return handle_ == nullptr ? load_error_ : std::string();
}

void* CliLibrary::Resolve(const char* function) {
  Load();
  if (handle_ == nullptr) {
    failure_ = load_error_;
    return nullptr;
  }
  dlerror();
  void* address = dlsym(handle_, function);
  if (address == nullptr) {
    const char* error = dlerror();
    failure_ =
        error != nullptr ? error : name_ + ": undefined symbol: " + function;
  }
  return address;
}

bool CliLibrary::Exports(const char* function) {
  const std::string before = failure_;
  const bool found = Resolve(function) != nullptr;
  failure_ = before;
  return found;
}

// Each wrapper resolves its function once and calls it, or reports
// SQL_ERROR with the failure recorded.
#define TCE_CLI_CALL(function, signature, ...) \
  void*& address = resolved_[k##function];     \
  if (address == nullptr) {                    \
    address = Resolve(#function);              \
    if (address == nullptr) return SQL_ERROR;  \
  }                                            \
  return reinterpret_cast<SQLRETURN(SQL_API*) signature>(address)(__VA_ARGS__)

SQLRETURN CliLibrary::AllocHandle(SQLSMALLINT type, SQLHANDLE input,
                                  SQLHANDLE* output) {
  TCE_CLI_CALL(SQLAllocHandle, (SQLSMALLINT, SQLHANDLE, SQLHANDLE*), type,
               input, output);
}
SQLRETURN CliLibrary::FreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
  TCE_CLI_CALL(SQLFreeHandle, (SQLSMALLINT, SQLHANDLE), type, handle);
}
SQLRETURN CliLibrary::SetEnvAttr(SQLHENV env, SQLINTEGER attribute,
                                 SQLPOINTER value, SQLINTEGER length) {
  TCE_CLI_CALL(SQLSetEnvAttr, (SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER),
               env, attribute, value, length);
}
SQLRETURN CliLibrary::DriverConnect(SQLHDBC dbc, SQLHWND window, SQLCHAR* in,
                                    SQLSMALLINT in_length, SQLCHAR* out,
                                    SQLSMALLINT out_max,
                                    SQLSMALLINT* out_length,
                                    SQLUSMALLINT completion) {
  TCE_CLI_CALL(SQLDriverConnect,
               (SQLHDBC, SQLHWND, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                SQLSMALLINT*, SQLUSMALLINT),
               dbc, window, in, in_length, out, out_max, out_length,
               completion);
}
SQLRETURN CliLibrary::Disconnect(SQLHDBC dbc) {
  TCE_CLI_CALL(SQLDisconnect, (SQLHDBC), dbc);
}
SQLRETURN CliLibrary::SetStmtAttr(SQLHSTMT stmt, SQLINTEGER attribute,
                                  SQLPOINTER value, SQLINTEGER length) {
  TCE_CLI_CALL(SQLSetStmtAttr, (SQLHSTMT, SQLINTEGER, SQLPOINTER, SQLINTEGER),
               stmt, attribute, value, length);
}
SQLRETURN CliLibrary::Prepare(SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length) {
  TCE_CLI_CALL(SQLPrepare, (SQLHSTMT, SQLCHAR*, SQLINTEGER), stmt, text,
               length);
}
SQLRETURN CliLibrary::Execute(SQLHSTMT stmt) {
  TCE_CLI_CALL(SQLExecute, (SQLHSTMT), stmt);
}
SQLRETURN CliLibrary::NumResultCols(SQLHSTMT stmt, SQLSMALLINT* count) {
  TCE_CLI_CALL(SQLNumResultCols, (SQLHSTMT, SQLSMALLINT*), stmt, count);
}
SQLRETURN CliLibrary::DescribeCol(SQLHSTMT stmt, SQLUSMALLINT column,
                                  SQLCHAR* name, SQLSMALLINT name_max,
                                  SQLSMALLINT* name_length, SQLSMALLINT* type,
                                  SQLULEN* size, SQLSMALLINT* digits,
                                  SQLSMALLINT* nullable) {
  TCE_CLI_CALL(SQLDescribeCol,
               (SQLHSTMT, SQLUSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*,
                SQLSMALLINT*, SQLULEN*, SQLSMALLINT*, SQLSMALLINT*),
               stmt, column, name, name_max, name_length, type, size, digits,
               nullable);
}
SQLRETURN CliLibrary::BindCol(SQLHSTMT stmt, SQLUSMALLINT column,
                              SQLSMALLINT target, SQLPOINTER buffer,
                              SQLLEN length, SQLLEN* indicator) {
  TCE_CLI_CALL(
      SQLBindCol,
      (SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLPOINTER, SQLLEN, SQLLEN*), stmt,
      column, target, buffer, length, indicator);
}
SQLRETURN CliLibrary::Fetch(SQLHSTMT stmt) {
  TCE_CLI_CALL(SQLFetch, (SQLHSTMT), stmt);
}
SQLRETURN CliLibrary::FreeStmt(SQLHSTMT stmt, SQLUSMALLINT option) {
  TCE_CLI_CALL(SQLFreeStmt, (SQLHSTMT, SQLUSMALLINT), stmt, option);
}
SQLRETURN CliLibrary::EndTran(SQLSMALLINT type, SQLHANDLE handle,
                              SQLSMALLINT completion) {
  TCE_CLI_CALL(SQLEndTran, (SQLSMALLINT, SQLHANDLE, SQLSMALLINT), type, handle,
               completion);
}
SQLRETURN CliLibrary::Error(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt,
                            SQLCHAR* state, SQLINTEGER* native,
                            SQLCHAR* message, SQLSMALLINT capacity,
                            SQLSMALLINT* length) {
  TCE_CLI_CALL(SQLError,
               (SQLHENV, SQLHDBC, SQLHSTMT, SQLCHAR*, SQLINTEGER*, SQLCHAR*,
                SQLSMALLINT, SQLSMALLINT*),
               env, dbc, stmt, state, native, message, capacity, length);
}

SQLRETURN CliLibrary::GetInfo(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER value,
                              SQLSMALLINT capacity, SQLSMALLINT* length) {
  TCE_CLI_CALL(SQLGetInfo,
               (SQLHDBC, SQLUSMALLINT, SQLPOINTER, SQLSMALLINT, SQLSMALLINT*),
               dbc, type, value, capacity, length);
}

#undef TCE_CLI_CALL

}  // namespace tce
