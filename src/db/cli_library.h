// The SQL/CLI driver library, loaded by name at the first call. Every
// function is resolved by name when first used; a library or function that
// cannot be loaded makes that call fail with SQL_ERROR and leaves the loader's
// description as the pending run-time failure, which the caller shows.
#ifndef TCE_DB_CLI_LIBRARY_H_
#define TCE_DB_CLI_LIBRARY_H_

#include <sql.h>

#include <array>
#include <string>

namespace tce {

// The default library name, looked for beside the program's executable.
inline constexpr char kDefaultCliLibrary[] = "libtvcli09b.so";

class CliLibrary {
 public:
  // `name` is a file name (searched the system's way) or a path; empty
  // means the default library beside the executable.
  explicit CliLibrary(std::string name = "");
  ~CliLibrary();
  CliLibrary(const CliLibrary&) = delete;
  CliLibrary& operator=(const CliLibrary&) = delete;

  // The description of the last call that could not be made, or empty.
  const std::string& failure() const { return failure_; }
  // Returns the failure and clears it.
  std::string TakeFailure();
  // The path or name the library is loaded from.
  const std::string& name() const { return name_; }
  // Names another library; only before the first call loads one. Empty
  // means the default library beside the executable.
  void SetName(std::string name);
  // Loads the library when that was not tried yet; the loader's description
  // when it cannot be loaded, otherwise empty.
  std::string LoadFailure();
  // Whether the library exports `function` (loads the library first).
  bool Exports(const char* function);

  SQLRETURN AllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output);
  SQLRETURN FreeHandle(SQLSMALLINT type, SQLHANDLE handle);
  SQLRETURN SetEnvAttr(SQLHENV env, SQLINTEGER attribute, SQLPOINTER value,
                       SQLINTEGER length);
  SQLRETURN DriverConnect(SQLHDBC dbc, SQLHWND window, SQLCHAR* in,
                          SQLSMALLINT in_length, SQLCHAR* out,
                          SQLSMALLINT out_max, SQLSMALLINT* out_length,
                          SQLUSMALLINT completion);
  SQLRETURN Disconnect(SQLHDBC dbc);
  SQLRETURN SetStmtAttr(SQLHSTMT stmt, SQLINTEGER attribute, SQLPOINTER value,
                        SQLINTEGER length);
  SQLRETURN Prepare(SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length);
  SQLRETURN Execute(SQLHSTMT stmt);
  SQLRETURN NumResultCols(SQLHSTMT stmt, SQLSMALLINT* count);
  SQLRETURN DescribeCol(SQLHSTMT stmt, SQLUSMALLINT column, SQLCHAR* name,
                        SQLSMALLINT name_max, SQLSMALLINT* name_length,
                        SQLSMALLINT* type, SQLULEN* size, SQLSMALLINT* digits,
                        SQLSMALLINT* nullable);
  SQLRETURN BindCol(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT target,
                    SQLPOINTER buffer, SQLLEN length, SQLLEN* indicator);
  SQLRETURN Fetch(SQLHSTMT stmt);
  SQLRETURN FreeStmt(SQLHSTMT stmt, SQLUSMALLINT option);
  SQLRETURN EndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion);
  SQLRETURN GetInfo(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER value,
                    SQLSMALLINT capacity, SQLSMALLINT* length);
  SQLRETURN Error(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt, SQLCHAR* state,
                  SQLINTEGER* native, SQLCHAR* message, SQLSMALLINT capacity,
                  SQLSMALLINT* length);

 private:
  // The address of `function`, loading the library at the first call;
  // nullptr with failure_ set when it cannot be had.
  void* Resolve(const char* function);
  void Load();

  enum Function {
    kSQLAllocHandle,
    kSQLFreeHandle,
    kSQLSetEnvAttr,
    kSQLDriverConnect,
    kSQLDisconnect,
    kSQLSetStmtAttr,
    kSQLPrepare,
    kSQLExecute,
    kSQLNumResultCols,
    kSQLDescribeCol,
    kSQLBindCol,
    kSQLFetch,
    kSQLFreeStmt,
    kSQLEndTran,
    kSQLError,
    kSQLGetInfo,
    kFunctionCount
  };

  std::string name_;
  std::array<void*, kFunctionCount> resolved_{};
  void* handle_ = nullptr;
  bool load_attempted_ = false;
  std::string load_error_;
  std::string failure_;
};

}  // namespace tce

#endif  // TCE_DB_CLI_LIBRARY_H_
