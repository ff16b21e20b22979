// libtvfault.so: an SQL/CLI driver library for tests that forwards every
// call to the embedded driver (libtvcli09b.so beside it) and makes one
// chosen call return a chosen result instead:
//
//   tvfault_set(function, nth, result)  in the same process, or the
//   environment TVFAULT_FUNCTION, TVFAULT_NTH, TVFAULT_RESULT for a child
//
// `function` is a function's name or "*" for any; `nth` counts the calls
// that match it, from 1, since the last tvfault_set (0: never fail).
// SQL_SUCCESS_WITH_INFO is a success: the call is made and its success
// reported with information. Any other result replaces the call; a release
// (SQLFreeHandle, SQLFreeStmt, SQLDisconnect) is made all the same, so that
// a leak the tests find is the program's. An injected SQL_ERROR leaves a
// diagnostic that SQLError and SQLGetDiagRec report.
//
// tvfault_calls() tells how many calls were made since tvfault_set, and
// tvfault_live_handles() how many handles are allocated now.
#include <dlfcn.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#define TVFAULT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct State {
  std::mutex mutex;
  void* target = nullptr;
  std::string function;
  long nth = 0;
  int result = SQL_ERROR;
  long matched = 0;
  long calls = 0;
  bool injected_diagnostic = false;
  std::string diagnostic;
  std::string failed;  // the function whose call was failed last
  // A failed SQLAllocHandle still hands back the handle it made, as some
  // drivers do; the program must free it.
  bool hand_back = false;
  // Live handles and, for statements, their connection.
  std::map<SQLHANDLE, SQLHANDLE> statements;
  std::map<SQLHANDLE, SQLSMALLINT> others;
  bool configured_from_environment = false;
};

State& TheState() {
  static State* state = new State;  // lives as long as the process
  return *state;
}

void ConfigureFromEnvironment(State& s) {
  if (s.configured_from_environment) return;
  s.configured_from_environment = true;
  if (const char* function = std::getenv("TVFAULT_FUNCTION")) {
    s.function = function;
    const char* nth = std::getenv("TVFAULT_NTH");
    const char* result = std::getenv("TVFAULT_RESULT");
    s.nth = nth != nullptr ? std::atol(nth) : 0;
    s.result = result != nullptr ? std::atoi(result) : SQL_ERROR;
  }
}

void* Target(const char* name) {
  State& s = TheState();
  if (s.target == nullptr) {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&Target), &info);
    std::string path = info.dli_fname != nullptr ? info.dli_fname : "";
    path = path.substr(0, path.rfind('/') + 1) + "libtvcli09b.so";
    s.target = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (s.target == nullptr) std::abort();
  }
  return dlsym(s.target, name);
}

template <typename F>
F Real(const char* name) {
  return reinterpret_cast<F>(Target(name));
}

// Whether this call of `name` is the one to fail; counts it.
bool Inject(const char* name, int& result) {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  ConfigureFromEnvironment(s);
  ++s.calls;
  if (s.nth <= 0 || (s.function != "*" && s.function != name)) return false;
  if (++s.matched != s.nth) return false;
  result = s.result;
  s.failed = name;
  if (result == SQL_ERROR) {
    s.injected_diagnostic = true;
    s.diagnostic = "[Tarvex][CLI Driver][Fault] Injected failure of " +
                   std::string(name) + ".";
  }
  return true;
}

// Runs the real call unless it is replaced; returns what the caller sees.
template <typename Call>
SQLRETURN Forward(const char* name, bool release, Call call) {
  int result = SQL_SUCCESS;
  if (!Inject(name, result)) return call();
  if (result == SQL_SUCCESS_WITH_INFO) {
    const SQLRETURN rc = call();
    return rc == SQL_SUCCESS ? SQL_SUCCESS_WITH_INFO : rc;
  }
  if (release) call();
  return static_cast<SQLRETURN>(result);
}

void Forget(SQLHANDLE handle) {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.statements.erase(handle);
  s.others.erase(handle);
}

SQLRETURN WriteInjectedDiagnostic(SQLCHAR* state, SQLINTEGER* native,
                                  SQLCHAR* message, SQLSMALLINT capacity,
                                  SQLSMALLINT* length) {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.injected_diagnostic = false;
  if (state != nullptr) std::memcpy(state, "HY000", 6);
  if (native != nullptr) *native = -9999;
  if (length != nullptr)
    *length = static_cast<SQLSMALLINT>(s.diagnostic.size());
  if (message != nullptr && capacity > 0) {
    const size_t n =
        std::min(s.diagnostic.size(), static_cast<size_t>(capacity - 1));
    std::memcpy(message, s.diagnostic.data(), n);
    message[n] = '\0';
  }
  return SQL_SUCCESS;
}

bool DiagnosticPending() {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.injected_diagnostic;
}

}  // namespace

TVFAULT_EXPORT void tvfault_set(const char* function, long nth, int result) {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.configured_from_environment = true;
  s.function = function != nullptr ? function : "";
  s.nth = nth;
  s.result = result;
  s.matched = 0;
  s.calls = 0;
  s.injected_diagnostic = false;
  s.failed.clear();
}

// Whether a failed SQLAllocHandle hands back the handle it made.
TVFAULT_EXPORT void tvfault_hand_back(int on) {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.hand_back = on != 0;
}

// The function whose call was failed since the last tvfault_set, or "".
TVFAULT_EXPORT const char* tvfault_failed_function() {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.failed.c_str();
}

TVFAULT_EXPORT long tvfault_calls() {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.calls;
}

TVFAULT_EXPORT long tvfault_live_handles() {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  return static_cast<long>(s.statements.size() + s.others.size());
}

TVFAULT_EXPORT SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type,
                                                SQLHANDLE input,
                                                SQLHANDLE* output) {
  bool hand_back = false;
  {
    State& s = TheState();
    std::lock_guard<std::mutex> lock(s.mutex);
    hand_back = s.hand_back;
  }
  const SQLRETURN rc = Forward("SQLAllocHandle", hand_back, [&] {
    return Real<decltype(&SQLAllocHandle)>("SQLAllocHandle")(type, input,
                                                             output);
  });
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
    if (hand_back && output != nullptr && *output != SQL_NULL_HANDLE) {
      // The failure comes with a live handle.
      State& s = TheState();
      std::lock_guard<std::mutex> lock(s.mutex);
      if (type == SQL_HANDLE_STMT) {
        s.statements[*output] = input;
      } else {
        s.others[*output] = type;
      }
      return rc;
    }
    if (output != nullptr && *output != SQL_NULL_HANDLE) {
      // The real call was made but its handle is withheld: give it back.
      Real<decltype(&SQLFreeHandle)>("SQLFreeHandle")(type, *output);
      *output = SQL_NULL_HANDLE;
    }
    return rc;
  }
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (type == SQL_HANDLE_STMT) {
    s.statements[*output] = input;
  } else {
    s.others[*output] = type;
  }
  return rc;
}

TVFAULT_EXPORT SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type,
                                               SQLHANDLE handle) {
  SQLRETURN real = SQL_ERROR;
  const SQLRETURN rc = Forward("SQLFreeHandle", true, [&] {
    real = Real<decltype(&SQLFreeHandle)>("SQLFreeHandle")(type, handle);
    return real;
  });
  if (real == SQL_SUCCESS) Forget(handle);
  return rc;
}

TVFAULT_EXPORT SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT handle,
                                             SQLUSMALLINT option) {
  SQLRETURN real = SQL_ERROR;
  const SQLRETURN rc = Forward("SQLFreeStmt", option == SQL_DROP, [&] {
    real = Real<decltype(&SQLFreeStmt)>("SQLFreeStmt")(handle, option);
    return real;
  });
  if (real == SQL_SUCCESS && option == SQL_DROP) Forget(handle);
  return rc;
}

TVFAULT_EXPORT SQLRETURN SQL_API SQLDisconnect(SQLHDBC handle) {
  SQLRETURN real = SQL_ERROR;
  const SQLRETURN rc = Forward("SQLDisconnect", true, [&] {
    real = Real<decltype(&SQLDisconnect)>("SQLDisconnect")(handle);
    return real;
  });
  if (real == SQL_SUCCESS) {
    // A disconnect drops the connection's statements.
    State& s = TheState();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (auto it = s.statements.begin(); it != s.statements.end();) {
      it = it->second == handle ? s.statements.erase(it) : std::next(it);
    }
  }
  return rc;
}

TVFAULT_EXPORT SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV env,
                                               SQLINTEGER attribute,
                                               SQLPOINTER value,
                                               SQLINTEGER length) {
  return Forward("SQLSetEnvAttr", false, [&] {
    return Real<decltype(&SQLSetEnvAttr)>("SQLSetEnvAttr")(env, attribute,
                                                           value, length);
  });
}

TVFAULT_EXPORT SQLRETURN SQL_API
SQLDriverConnect(SQLHDBC dbc, SQLHWND window, SQLCHAR* in,
                 SQLSMALLINT in_length, SQLCHAR* out, SQLSMALLINT out_max,
                 SQLSMALLINT* out_length, SQLUSMALLINT completion) {
  return Forward("SQLDriverConnect", false, [&] {
    return Real<decltype(&SQLDriverConnect)>("SQLDriverConnect")(
        dbc, window, in, in_length, out, out_max, out_length, completion);
  });
}

TVFAULT_EXPORT SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT stmt,
                                                SQLINTEGER attribute,
                                                SQLPOINTER value,
                                                SQLINTEGER length) {
  return Forward("SQLSetStmtAttr", false, [&] {
    return Real<decltype(&SQLSetStmtAttr)>("SQLSetStmtAttr")(stmt, attribute,
                                                             value, length);
  });
}

TVFAULT_EXPORT SQLRETURN SQL_API SQLPrepare(SQLHSTMT stmt, SQLCHAR* text,
                                            SQLINTEGER length) {
  return Forward("SQLPrepare", false, [&] {
    return Real<decltype(&SQLPrepare)>("SQLPrepare")(stmt, text, length);
  });
}

TVFAULT_EXPORT SQLRETURN SQL_API SQLExecute(SQLHSTMT stmt) {
  return Forward("SQLExecute", false, [&] {
    return Real<decltype(&SQLExecute)>("SQLExecute")(stmt);
  });
}

TVFAULT_EXPORT SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT stmt,
                                                  SQLSMALLINT* count) {
  return Forward("SQLNumResultCols", false, [&] {
    return Real<decltype(&SQLNumResultCols)>("SQLNumResultCols")(stmt, count);
  });
}

TVFAULT_EXPORT SQLRETURN SQL_API SQLDescribeCol(
    SQLHSTMT stmt, SQLUSMALLINT column, SQLCHAR* name, SQLSMALLINT name_max,
    SQLSMALLINT* name_length, SQLSMALLINT* type, SQLULEN* size,
    SQLSMALLINT* digits, SQLSMALLINT* nullable) {
  return Forward("SQLDescribeCol", false, [&] {
    return Real<decltype(&SQLDescribeCol)>("SQLDescribeCol")(
        stmt, column, name, name_max, name_length, type, size, digits,
        nullable);
  });
}

TVFAULT_EXPORT SQLRETURN SQL_API SQLBindCol(SQLHSTMT stmt, SQLUSMALLINT column,
                                            SQLSMALLINT target,
                                            SQLPOINTER buffer, SQLLEN length,
                                            SQLLEN* indicator) {
  return Forward("SQLBindCol", false, [&] {
    return Real<decltype(&SQLBindCol)>("SQLBindCol")(stmt, column, target,
                                                     buffer, length, indicator);
  });
}

TVFAULT_EXPORT SQLRETURN SQL_API SQLFetch(SQLHSTMT stmt) {
  return Forward("SQLFetch", false,
                 [&] { return Real<decltype(&SQLFetch)>("SQLFetch")(stmt); });
}

TVFAULT_EXPORT SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle,
                                            SQLSMALLINT completion) {
  return Forward("SQLEndTran", false, [&] {
    return Real<decltype(&SQLEndTran)>("SQLEndTran")(type, handle, completion);
  });
}

TVFAULT_EXPORT SQLRETURN SQL_API SQLGetInfo(SQLHDBC dbc, SQLUSMALLINT type,
                                            SQLPOINTER value,
                                            SQLSMALLINT capacity,
                                            SQLSMALLINT* length) {
  return Forward("SQLGetInfo", false, [&] {
    return Real<decltype(&SQLGetInfo)>("SQLGetInfo")(dbc, type, value,
                                                     capacity, length);
  });
}

TVFAULT_EXPORT SQLRETURN SQL_API SQLError(SQLHENV env, SQLHDBC dbc,
                                          SQLHSTMT stmt, SQLCHAR* state,
                                          SQLINTEGER* native, SQLCHAR* message,
                                          SQLSMALLINT capacity,
                                          SQLSMALLINT* length) {
  int result = SQL_SUCCESS;
  if (Inject("SQLError", result)) return static_cast<SQLRETURN>(result);
  if (DiagnosticPending()) {
    return WriteInjectedDiagnostic(state, native, message, capacity, length);
  }
  return Real<decltype(&SQLError)>("SQLError")(env, dbc, stmt, state, native,
                                               message, capacity, length);
}

TVFAULT_EXPORT SQLRETURN SQL_API
SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
              SQLCHAR* state, SQLINTEGER* native, SQLCHAR* message,
              SQLSMALLINT capacity, SQLSMALLINT* length) {
  int result = SQL_SUCCESS;
  if (Inject("SQLGetDiagRec", result)) return static_cast<SQLRETURN>(result);
  if (record == 1 && DiagnosticPending()) {
    return WriteInjectedDiagnostic(state, native, message, capacity, length);
  }
  return Real<decltype(&SQLGetDiagRec)>("SQLGetDiagRec")(
      type, handle, record, state, native, message, capacity, length);
}
