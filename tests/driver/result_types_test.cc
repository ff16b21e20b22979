// What a result's columns say they are, as clients pick their C types by
// it: one type for every row of a column, dates as dates, and the
// environment's version asked back.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <string>

#include "driver_fixture.h"

namespace {

using ::tce::testing::DriverTest;

class ResultTypesTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(server_.DatabasePath("sales").c_str(), &db),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE days (day DATE, note VARCHAR(30));"
                           "INSERT INTO days VALUES ('2024-02-29', "
                           "'2023-02-29'), (NULL, '2024-12-31 23:59:58.25')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ASSERT_EQ(ConnectSales(), SQL_SUCCESS);
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt_), SQL_SUCCESS);
  }
  // Executes `sql` and returns the SQL type and size of its column 1.
  std::pair<SQLSMALLINT, SQLULEN> Type(const std::string& sql) {
    SQLFreeStmt(stmt_, SQL_CLOSE);
    SQLFreeStmt(stmt_, SQL_UNBIND);
    EXPECT_EQ(SQLExecDirect(stmt_,
                            reinterpret_cast<SQLCHAR*>(
                                const_cast<char*>(sql.c_str())),
                            SQL_NTS),
              SQL_SUCCESS)
        << sql;
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    SQLDescribeCol(stmt_, 1, nullptr, 0, nullptr, &type, &size, nullptr,
                   nullptr);
    return {type, size};
  }
  std::string State() {
    SQLCHAR state[6] = {};
    SQLGetDiagRec(SQL_HANDLE_STMT, stmt_, 1, state, nullptr, nullptr, 0,
                  nullptr);
    return reinterpret_cast<char*>(state);
  }

  SQLHSTMT stmt_ = SQL_NULL_HSTMT;
};

using TypeAndSize = std::pair<SQLSMALLINT, SQLULEN>;

TEST_F(ResultTypesTest, AColumnHasOneTypeForAllItsRows) {
  EXPECT_EQ(Type("SELECT 1 UNION ALL SELECT 2.5"), TypeAndSize(SQL_DOUBLE, 15));
  double value = 0;
  SQLLEN indicator = 0;
  // 1 first, as a double and without a fraction cut from what follows.
  ASSERT_EQ(SQLFetch(stmt_), SQL_SUCCESS);
  ASSERT_EQ(SQLGetData(stmt_, 1, SQL_C_DEFAULT, &value, 0, &indicator),
            SQL_SUCCESS);
  EXPECT_EQ(value, 1.0);
  ASSERT_EQ(SQLFetch(stmt_), SQL_SUCCESS);
  ASSERT_EQ(SQLGetData(stmt_, 1, SQL_C_DEFAULT, &value, 0, &indicator),
            SQL_SUCCESS);
  EXPECT_EQ(value, 2.5);
  // A ratio whose first rows are a whole 0: orders has 5000 rows.
  EXPECT_EQ(Type("SELECT CASE WHEN nrows < 100 THEN 0 ELSE nrows / 3 END "
                 "FROM systables ORDER BY nrows, tabid"),
            TypeAndSize(SQL_DOUBLE, 15));
  for (double expected : {0.0, 0.0, 5000.0 / 3}) {
    ASSERT_EQ(SQLFetch(stmt_), SQL_SUCCESS);
    ASSERT_EQ(SQLGetData(stmt_, 1, SQL_C_DOUBLE, &value, 0, &indicator),
              SQL_SUCCESS);
    EXPECT_DOUBLE_EQ(value, expected);
  }
  EXPECT_EQ(Type("SELECT count(*) FROM systables"),
            TypeAndSize(SQL_BIGINT, 19));
  EXPECT_EQ(Type("SELECT 2 UNION ALL SELECT 'three hundred'"),
            TypeAndSize(SQL_VARCHAR, 255));
  EXPECT_EQ(Type("SELECT nrows FROM systables WHERE 0"),
            TypeAndSize(SQL_BIGINT, 19));
}

TEST_F(ResultTypesTest, DeclaredNumbersWidenToWhatSelectsCombinedBring) {
  EXPECT_EQ(Type("SELECT pagesize FROM systables UNION ALL SELECT 2147483647"),
            TypeAndSize(SQL_INTEGER, 10));
  EXPECT_EQ(Type("SELECT pagesize FROM systables UNION ALL SELECT 2147483648"),
            TypeAndSize(SQL_BIGINT, 19));
  SQLBIGINT big = 0;
  SQLLEN indicator = 0;
  while (SQLFetch(stmt_) == SQL_SUCCESS)
    SQLGetData(stmt_, 1, SQL_C_DEFAULT, &big, 0, &indicator);
  EXPECT_EQ(big, 2147483648LL);
  EXPECT_EQ(Type("SELECT colno FROM syscolumns UNION SELECT -32769"),
            TypeAndSize(SQL_INTEGER, 10));
  EXPECT_EQ(Type("SELECT colno FROM syscolumns UNION SELECT -32768"),
            TypeAndSize(SQL_SMALLINT, 5));
  EXPECT_EQ(Type("SELECT tabid FROM systables UNION SELECT 0.5"),
            TypeAndSize(SQL_DOUBLE, 15));
  // Text stays text whatever numbers come with it.
  EXPECT_EQ(Type("SELECT owner FROM systables UNION SELECT 7"),
            TypeAndSize(SQL_CHAR, 32));
  // A keyword inside a literal combines nothing.
  EXPECT_EQ(Type("SELECT pagesize FROM systables WHERE owner <> 'union'"),
            TypeAndSize(SQL_INTEGER, 10));
}

TEST_F(ResultTypesTest, DatesArriveAsDatesTimestampsAndText) {
  EXPECT_EQ(Type("SELECT day, note FROM days"),
            TypeAndSize(SQL_TYPE_DATE, 10));
  SQL_DATE_STRUCT date{};
  SQLLEN indicator = 0;
  ASSERT_EQ(SQLBindCol(stmt_, 1, SQL_C_TYPE_DATE, &date, 0, &indicator),
            SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(stmt_), SQL_SUCCESS);
  EXPECT_EQ(indicator, static_cast<SQLLEN>(sizeof date));
  EXPECT_EQ(date.year, 2024);
  EXPECT_EQ(date.month, 2);
  EXPECT_EQ(date.day, 29);
  SQL_TIMESTAMP_STRUCT stamp{};
  ASSERT_EQ(SQLGetData(stmt_, 1, SQL_C_TYPE_TIMESTAMP, &stamp, 0, &indicator),
            SQL_SUCCESS);
  EXPECT_EQ(stamp.day, 29);
  EXPECT_EQ(stamp.hour + stamp.minute + stamp.second + stamp.fraction, 0u);
  // There is no 29 February in 2023.
  EXPECT_EQ(SQLGetData(stmt_, 2, SQL_C_DATE, &date, 0, &indicator),
            SQL_ERROR);
  EXPECT_EQ(State(), "22018");
  ASSERT_EQ(SQLFetch(stmt_), SQL_SUCCESS);
  EXPECT_EQ(indicator, SQL_NULL_DATA);
  // A date from a timestamp drops its time of day, and says so.
  EXPECT_EQ(SQLGetData(stmt_, 2, SQL_C_TYPE_DATE, &date, 0, &indicator),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(State(), "01S07");
  EXPECT_EQ(date.month * 100 + date.day, 1231);
  Type("SELECT note FROM days WHERE day IS NULL");
  ASSERT_EQ(SQLFetch(stmt_), SQL_SUCCESS);
  ASSERT_EQ(SQLGetData(stmt_, 1, SQL_C_TYPE_TIMESTAMP, &stamp, 0, &indicator),
            SQL_SUCCESS);
  EXPECT_EQ(stamp.year, 2024);
  EXPECT_EQ(stamp.second, 58);
  EXPECT_EQ(stamp.fraction, 250000000u);
  Type("SELECT day FROM days");
  char text[16] = {};
  ASSERT_EQ(SQLFetch(stmt_), SQL_SUCCESS);
  ASSERT_EQ(SQLGetData(stmt_, 1, SQL_C_CHAR, text, sizeof text, &indicator),
            SQL_SUCCESS);
  EXPECT_STREQ(text, "2024-02-29");
}

TEST_F(DriverTest, TheEnvironmentsVersionIsAskedBack) {
  SQLINTEGER version = 0;
  EXPECT_EQ(SQLGetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, &version, 0, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(version, SQL_OV_ODBC3);
  for (SQLINTEGER wanted : {SQL_OV_ODBC3_80, SQL_OV_ODBC2}) {
    EXPECT_EQ(SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION,
                            reinterpret_cast<SQLPOINTER>(
                                static_cast<intptr_t>(wanted)),
                            0),
              SQL_SUCCESS);
    EXPECT_EQ(SQLGetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, &version, 0, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(version, wanted);
  }
  EXPECT_EQ(SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION,
                          reinterpret_cast<SQLPOINTER>(4), 0),
            SQL_ERROR);
}

}  // namespace
