// A test server with a "sales" database and a connection handle to the
// driver, called through its exported functions as any program calls them.
#ifndef TCE_TESTS_DRIVER_DRIVER_FIXTURE_H_
#define TCE_TESTS_DRIVER_DRIVER_FIXTURE_H_

#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <string>

#include "support/test_server.h"

namespace tce::testing {

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

}  // namespace tce::testing

#endif  // TCE_TESTS_DRIVER_DRIVER_FIXTURE_H_
