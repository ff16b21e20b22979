// The embedded driver through its exported functions, as any program that
// links it would call them.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "driver_fixture.h"
#include "support/test_server.h"

namespace {

using ::tce::testing::Diag;
using ::tce::testing::DriverTest;
using ::tce::testing::TestServer;
using ::tce::testing::WriteFileBytes;

TEST_F(DriverTest, CompletedStringRepeatsDatabaseUserAndPassword) {
  EXPECT_EQ(ConnectSales(), SQL_SUCCESS);
  EXPECT_EQ(Completed(),
            "DATABASE=" + server_.DatabasePath("sales") + ";UID=u;PWD=p;");
}

TEST_F(DriverTest, BracedValuesAreUnderstoodAndRepeatedInBraces) {
  EXPECT_EQ(Connect("DATABASE=" + server_.DatabasePath("sales") +
                    ";UID=u;PWD={a;b}}};"),
            SQL_SUCCESS);
  EXPECT_NE(Completed().find("PWD={a;b}}};"), std::string::npos) << Completed();
}

TEST_F(DriverTest, ShortOutputBufferIsCutWithAWarning) {
  std::string text = "DATABASE=" + server_.DatabasePath("sales") + ";";
  SQLCHAR out[10];
  SQLSMALLINT length = 0;
  EXPECT_EQ(
      SQLDriverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                       SQL_NTS, out, sizeof out, &length, SQL_DRIVER_NOPROMPT),
      SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(std::strlen(reinterpret_cast<char*>(out)), 9u);
  EXPECT_GT(length, 9);
  EXPECT_EQ(Error(dbc_, SQL_NULL_HSTMT).state, "01004");
}

TEST_F(DriverTest, MissingOrBrokenDatabasesAreRefused) {
  for (const std::string& database :
       {server_.DatabasePath("nosuch"), std::string("nosuch_default_db"),
        server_.dir().path().string() + "/", std::string("")}) {
    EXPECT_EQ(Connect("DATABASE=" + database + ";"), SQL_ERROR) << database;
    const Diag diag = Error(dbc_, SQL_NULL_HSTMT);
    EXPECT_EQ(diag.state, "08001");
    EXPECT_EQ(diag.message.rfind("[Tarvex][CLI Driver][Server] ", 0), 0u);
  }
  WriteFileBytes(server_.DatabasePath("junk"), std::string(4096, 'x'));
  EXPECT_EQ(Connect("DATABASE=" + server_.DatabasePath("junk") + ";"),
            SQL_ERROR);
  EXPECT_EQ(Error(dbc_, SQL_NULL_HSTMT).state, "08001");
  // A SQLite file that is not a catalog.
  sqlite3* other = nullptr;
  sqlite3_open(server_.DatabasePath("other").c_str(), &other);
  sqlite3_exec(other, "CREATE TABLE t (x)", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_EQ(Connect("DATABASE=" + server_.DatabasePath("other") + ";"),
            SQL_ERROR);
  EXPECT_EQ(Connect("no pairs at all"), SQL_ERROR);
}

TEST_F(DriverTest, UsersNeedTheirPassword) {
  auto& db = server_.Database("secure");
  db.AddTable("o", "t", 1, 1, 2048);
  db.AddUser("alice", "s3cret;{x}");
  server_.Finish();
  const std::string base = "DATABASE=" + server_.DatabasePath("secure");
  EXPECT_EQ(Connect(base + ";UID=alice;PWD=wrong;"), SQL_ERROR);
  Diag diag = Error(dbc_, SQL_NULL_HSTMT);
  EXPECT_EQ(diag.state, "28000");
  EXPECT_EQ(Connect(base + ";UID=bob;PWD=s3cret;"), SQL_ERROR);
  EXPECT_EQ(Connect(base + ";UID=alice;"), SQL_ERROR);
  EXPECT_EQ(Connect(base + ";UID=alice;PWD={s3cret;{x}}};"), SQL_SUCCESS);
}

TEST_F(DriverTest, StatementsSeeTheServerDialect) {
  ASSERT_EQ(ConnectSales(), SQL_SUCCESS);
  EXPECT_EQ(
      Column1(
          "SELECT OWNER FROM SYSMASTER:SYSTABLES WHERE TABNAME=' SMIVERSION'"),
      "11.70");
  EXPECT_EQ(Column1("SELECT SH_PAGESIZE FROM SYSMASTER:SYSSHMVALS"), "4096");
  EXPECT_EQ(Column1("SELECT 4096/8192"), "0.5");
  EXPECT_EQ(Column1("SELECT 7/2"), "3.5");
  EXPECT_EQ(Column1("SELECT tabname FROM systables WHERE owner LIKE 'AB%'"),
            "upper");
  EXPECT_EQ(Column1("SELECT tabname FROM systables WHERE owner = 'ab'"),
            "lower");
  EXPECT_EQ(Column1("SELECT count(*) FROM sales:systables"), "3");
}

TEST_F(DriverTest, ResultColumnsDescribeThemselves) {
  ASSERT_EQ(ConnectSales(), SQL_SUCCESS);
  SQLRETURN rc;
  SQLHSTMT stmt =
      Run("SELECT T.OWNER, T.TABNAME, T.NROWS, C.COLTYPE, X.ENCDAT, 2048 "
          "FROM SYSTABLES T JOIN SYSCOLUMNS C ON C.TABID = T.TABID "
          "LEFT JOIN SYSDISTRIB X ON X.TABID = T.TABID AND X.COLNO = C.COLNO",
          &rc);
  ASSERT_EQ(rc, SQL_SUCCESS);
  SQLSMALLINT count = 0;
  EXPECT_EQ(SQLNumResultCols(stmt, &count), SQL_SUCCESS);
  EXPECT_EQ(count, 6);
  struct Expected {
    SQLSMALLINT type;
    SQLULEN size;
  };
  const Expected expected[] = {{SQL_CHAR, 32},   {SQL_VARCHAR, 128},
                               {SQL_BIGINT, 19}, {SQL_SMALLINT, 5},
                               {SQL_VARCHAR, 256}, {SQL_BIGINT, 19}};
  for (SQLUSMALLINT c = 1; c <= 6; ++c) {
    SQLCHAR name[32];
    SQLSMALLINT name_length, type, digits, nullable;
    SQLULEN size;
    EXPECT_EQ(SQLDescribeCol(stmt, c, name, sizeof name, &name_length, &type,
                             &size, &digits, &nullable),
              SQL_SUCCESS);
    EXPECT_EQ(type, expected[c - 1].type) << c;
    EXPECT_EQ(size, expected[c - 1].size) << c;
  }
  SQLCHAR name[32];
  EXPECT_EQ(SQLDescribeCol(stmt, 7, name, sizeof name, nullptr, nullptr,
                           nullptr, nullptr, nullptr),
            SQL_ERROR);
  EXPECT_EQ(Error(SQL_NULL_HDBC, stmt).state, "07009");
  SQLFreeStmt(stmt, SQL_DROP);
}

TEST_F(DriverTest, FetchDeliversTextNullsAndTheEnd) {
  ASSERT_EQ(ConnectSales(), SQL_SUCCESS);
  SQLRETURN rc;
  SQLHSTMT stmt = Run("SELECT c, n FROM misc ORDER BY rowid", &rc);
  ASSERT_EQ(rc, SQL_SUCCESS);
  char c[8];
  char n[20];
  SQLLEN c_length = 0, n_length = 0;
  ASSERT_EQ(SQLBindCol(stmt, 1, SQL_C_CHAR, c, sizeof c, &c_length),
            SQL_SUCCESS);
  ASSERT_EQ(SQLBindCol(stmt, 2, SQL_C_CHAR, n, sizeof n, &n_length),
            SQL_SUCCESS);
  std::memset(n, '#', sizeof n);
  EXPECT_EQ(SQLFetch(stmt), SQL_SUCCESS);
  EXPECT_STREQ(c, "x");
  EXPECT_EQ(n_length, SQL_NULL_DATA);
  EXPECT_EQ(n[0], '#');  // nothing written for a null
  EXPECT_EQ(SQLFetch(stmt), SQL_SUCCESS_WITH_INFO);  // 11 bytes into 8
  EXPECT_STREQ(c, "line1\nl");
  EXPECT_EQ(c_length, 11);
  EXPECT_EQ(Error(SQL_NULL_HDBC, stmt).state, "01004");
  EXPECT_STREQ(n, "   ");
  EXPECT_EQ(SQLFetch(stmt), SQL_NO_DATA);
  EXPECT_EQ(SQLFetch(stmt), SQL_NO_DATA);
  SQLFreeStmt(stmt, SQL_DROP);
}

TEST_F(DriverTest, BadStatementsFailAtExecutionWithDiagnostics) {
  ASSERT_EQ(ConnectSales(), SQL_SUCCESS);
  struct Case {
    const char* sql;
    const char* state;
  };
  for (const Case& c :
       {Case{"SELECT * FROM nosuch", "42S02"},
        Case{"SELECT nosuch FROM systables", "42S22"}, Case{"SELEC 1", "42000"},
        Case{"SELECT 1; SELECT 2", "42000"}, Case{"   ", "42000"},
        Case{"DELETE FROM systables", "42000"},
        Case{"SELECT owner FROM SYSMASTER:nosuch", "42S02"}}) {
    SQLRETURN rc;
    SQLHSTMT stmt = Run(c.sql, &rc);
    EXPECT_EQ(rc, SQL_ERROR) << c.sql;
    const Diag diag = Error(SQL_NULL_HDBC, stmt);
    EXPECT_EQ(diag.state, c.state) << c.sql << ": " << diag.message;
    EXPECT_EQ(diag.message.rfind("[Tarvex][CLI Driver][Server] ", 0), 0u);
    // SQLError hands out each record once.
    SQLCHAR state[10];
    SQLINTEGER native;
    EXPECT_EQ(SQLError(env_, dbc_, stmt, state, &native, nullptr, 0, nullptr),
              SQL_NO_DATA);
    SQLFreeStmt(stmt, SQL_DROP);
  }
  EXPECT_EQ(Column1("SELECT count(*) FROM systables"), "3");  // nothing deleted
}

TEST_F(DriverTest, CallsInTheWrongOrderAreRefused) {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt), SQL_ERROR);
  EXPECT_EQ(Error(dbc_, SQL_NULL_HSTMT).state, "08003");
  EXPECT_EQ(SQLDisconnect(dbc_), SQL_ERROR);
  ASSERT_EQ(ConnectSales(), SQL_SUCCESS);
  EXPECT_EQ(ConnectSales(), SQL_ERROR);  // already connected
  EXPECT_EQ(Error(dbc_, SQL_NULL_HSTMT).state, "08002");
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt), SQL_SUCCESS);
  EXPECT_EQ(SQLExecute(stmt), SQL_ERROR);
  EXPECT_EQ(Error(SQL_NULL_HDBC, stmt).state, "HY010");
  EXPECT_EQ(SQLFetch(stmt), SQL_ERROR);
  EXPECT_EQ(Error(SQL_NULL_HDBC, stmt).state, "24000");
  char buffer[4];
  EXPECT_EQ(SQLBindCol(stmt, 0, SQL_C_CHAR, buffer, 4, nullptr), SQL_ERROR);
  EXPECT_EQ(SQLBindCol(stmt, 1, SQL_C_BINARY, buffer, 4, nullptr), SQL_ERROR);
  EXPECT_EQ(Error(SQL_NULL_HDBC, stmt).state, "HYC00");
  EXPECT_EQ(SQLBindCol(stmt, 1, SQL_C_CHAR, buffer, -1, nullptr), SQL_ERROR);
  EXPECT_EQ(SQLFreeStmt(stmt, 99), SQL_ERROR);
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_DBC, dbc_), SQL_ERROR);  // still connected
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_ENV, env_), SQL_ERROR);  // dbc allocated
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, dbc_, 7), SQL_ERROR);
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT), SQL_SUCCESS);
  // Disconnecting frees the open statement: its handle is then invalid.
  EXPECT_EQ(SQLDisconnect(dbc_), SQL_SUCCESS);
  EXPECT_EQ(SQLFetch(stmt), SQL_INVALID_HANDLE);
}

TEST_F(DriverTest, InvalidHandlesAreNeverTouched) {
  int not_a_handle = 0;
  EXPECT_EQ(SQLFetch(nullptr), SQL_INVALID_HANDLE);
  EXPECT_EQ(SQLFetch(&not_a_handle), SQL_INVALID_HANDLE);
  EXPECT_EQ(SQLExecute(dbc_), SQL_INVALID_HANDLE);  // wrong kind
  EXPECT_EQ(SQLDisconnect(env_), SQL_INVALID_HANDLE);
  EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, &not_a_handle, nullptr), SQL_ERROR);
  SQLHANDLE out = &not_a_handle;
  EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, &not_a_handle, &out),
            SQL_INVALID_HANDLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(SQLError(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
                     nullptr),
            SQL_INVALID_HANDLE);
  SQLHENV env2;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env2),
            SQL_SUCCESS);
  ASSERT_EQ(SQLFreeHandle(SQL_HANDLE_ENV, env2), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_ENV, env2), SQL_INVALID_HANDLE);  // freed
}

TEST_F(DriverTest, LockedCatalogIsReportedNotWaitedOnForever) {
  sqlite3* locker = nullptr;
  ASSERT_EQ(sqlite3_open(server_.DatabasePath("sales").c_str(), &locker),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(locker,
                         "PRAGMA journal_mode = DELETE; BEGIN EXCLUSIVE; "
                         "UPDATE systables SET nrows = 1;",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  EXPECT_EQ(ConnectSales(), SQL_ERROR);
  EXPECT_EQ(Error(dbc_, SQL_NULL_HSTMT).state, "08001");
  sqlite3_exec(locker, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(locker);
  EXPECT_EQ(ConnectSales(), SQL_SUCCESS);
}

TEST_F(DriverTest, UnreadableFileIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "file permissions do not bind root";
  std::filesystem::permissions(server_.DatabasePath("sales"),
                               std::filesystem::perms::none);
  EXPECT_EQ(ConnectSales(), SQL_ERROR);
  EXPECT_EQ(Error(dbc_, SQL_NULL_HSTMT).state, "08001");
}

}  // namespace

namespace tce::testing {
namespace {

// The server lists its databases; SERVER names the folder a database name
// is looked for in, and the driver reports that folder as its server name.
TEST_F(DriverTest, TheServerListsItsDatabasesAndServerNamesItsFolder) {
  TestServer other("11.70", 2048);
  other.Database("archive").AddTable("a", "t", 1, 1, 2048);
  other.Database("Logs");
  other.Finish();
  const std::string folder =
      other.DatabasePath("archive").substr(0, other.DatabasePath("archive").rfind('/'));
  ASSERT_EQ(Connect("SERVER=" + folder + ";DATABASE=archive;UID=u;PWD=p;"),
            SQL_SUCCESS) << Error(dbc_, SQL_NULL_HSTMT).message;
  EXPECT_EQ(Completed().rfind("SERVER=" + folder + ";DATABASE=archive;", 0), 0u)
      << Completed();
  EXPECT_EQ(Column1("SELECT NAME FROM SYSMASTER:SYSDATABASES ORDER BY NAME"),
            "Logs|archive");
  char name[512] = {};
  SQLSMALLINT length = 0;
  ASSERT_EQ(SQLGetInfo(dbc_, SQL_SERVER_NAME, name, sizeof name, &length),
            SQL_SUCCESS);
  EXPECT_EQ(std::string(name), std::filesystem::absolute(folder).lexically_normal().string());
  SQLDisconnect(dbc_);
  // A database the server does not have, by name in a named server.
  EXPECT_EQ(Connect("SERVER=" + folder + ";DATABASE=sales;"), SQL_ERROR);
  EXPECT_NE(Error(dbc_, SQL_NULL_HSTMT).message.find("does not exist"),
            std::string::npos);
}

}  // namespace
}  // namespace tce::testing
