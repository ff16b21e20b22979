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

#include "support/test_server.h"

namespace {

using ::tce::testing::TestServer;
using ::tce::testing::WriteFileBytes;

struct Diag {
  std::string state;
  std::string message;
};

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& db = server_.Database("sales");
    const int orders = db.AddTable("acct", "orders", 120, 5000, 4096);
    db.AddColumn(orders, "id", 6, 4);
    const int amount = db.AddColumn(orders, "amount", 5, 4098);
    db.AddDistribution(orders, amount, "TVD1;s=5000;d=400;f1=3");
    db.AddColumn(orders, "note", 13, 200);
    db.AddTable("ab", "lower", 1, 10, 2048);
    db.AddTable("AB", "upper", 1, 10, 2048);
    db.Execute(
        "CREATE TABLE misc (c CHAR(5000), n VARCHAR(10));"
        "INSERT INTO misc VALUES ('x', NULL), ('line1' || char(10) || "
        "'line2', '   ');");
    server_.Finish();
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_),
              SQL_SUCCESS);
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_), SQL_SUCCESS);
  }
  void TearDown() override {
    SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }

  SQLRETURN Connect(const std::string& text) {
    completed_.assign(256, '\0');
    SQLSMALLINT length = 0;
    return SQLDriverConnect(
        dbc_, nullptr,
        reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())), SQL_NTS,
        reinterpret_cast<SQLCHAR*>(completed_.data()), 255, &length,
        SQL_DRIVER_PROMPT);
  }
  SQLRETURN ConnectSales() {
    return Connect("DATABASE=" + server_.DatabasePath("sales") +
                   ";UID=u;PWD=p;");
  }
  std::string Completed() const { return completed_.c_str(); }

  SQLHSTMT Run(const std::string& sql, SQLRETURN* rc) {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt), SQL_SUCCESS);
    EXPECT_EQ(
        SQLPrepare(stmt,
                   reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())),
                   SQL_NTS),
        SQL_SUCCESS);
    *rc = SQLExecute(stmt);
    return stmt;
  }
  // The first column of every row, as text ("NULL" for a null).
  std::string Column1(const std::string& sql) {
    SQLRETURN rc;
    SQLHSTMT stmt = Run(sql, &rc);
    EXPECT_EQ(rc, SQL_SUCCESS)
        << sql << " " << Error(SQL_NULL_HDBC, stmt).message;
    char value[300];
    SQLLEN indicator = 0;
    SQLBindCol(stmt, 1, SQL_C_CHAR, value, sizeof value, &indicator);
    std::string all;
    while (SQLFetch(stmt) == SQL_SUCCESS) {
      if (!all.empty()) all += "|";
      all += indicator == SQL_NULL_DATA ? "NULL" : value;
    }
    SQLFreeStmt(stmt, SQL_DROP);
    return all;
  }
  Diag Error(SQLHDBC dbc, SQLHSTMT stmt) {
    SQLCHAR state[10] = {}, message[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLError(env_, dbc, stmt, state, &native, message, sizeof message, &length);
    return {reinterpret_cast<char*>(state), reinterpret_cast<char*>(message)};
  }

  TestServer server_{"11.70", 4096};
  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  std::string completed_;
};

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
                               {-101, 256},      {SQL_BIGINT, 19}};
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
  EXPECT_EQ(SQLBindCol(stmt, 1, SQL_C_LONG, buffer, 4, nullptr), SQL_ERROR);
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
