// The functions a driver manager and general ODBC tools call that the
// estimator itself does not: what the driver and connection are, columns'
// attributes, values in parts and as numbers, counts, and diagnostics by
// field.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <cstring>
#include <map>
#include <string>

#include "base/text_file.h"
#include "driver_fixture.h"

namespace {

using ::tce::testing::DriverTest;

class OdbcFunctionsTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    ASSERT_EQ(ConnectSales(), SQL_SUCCESS);
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt_), SQL_SUCCESS);
  }
  SQLRETURN ExecDirect(const std::string& sql) {
    return SQLExecDirect(
        stmt_, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())),
        SQL_NTS);
  }
  std::string State(SQLSMALLINT type, SQLHANDLE handle) {
    SQLCHAR state[6] = {};
    SQLGetDiagRec(type, handle, 1, state, nullptr, nullptr, 0, nullptr);
    return reinterpret_cast<char*>(state);
  }
  std::string StmtState() { return State(SQL_HANDLE_STMT, stmt_); }
  std::string InfoText(SQLUSMALLINT type) {
    char value[128] = {};
    SQLSMALLINT length = -1;
    EXPECT_EQ(SQLGetInfo(dbc_, type, value, sizeof value, &length),
              SQL_SUCCESS)
        << type;
    EXPECT_EQ(length, static_cast<SQLSMALLINT>(std::strlen(value)));
    return value;
  }

  SQLHSTMT stmt_ = SQL_NULL_HSTMT;
};

TEST_F(OdbcFunctionsTest, GetInfoAnswersInTheFormOfEachType) {
  EXPECT_EQ(InfoText(SQL_DBMS_NAME), "Tarvex");
  EXPECT_EQ(InfoText(SQL_DBMS_VER), "11.70.0000 11.70");
  EXPECT_EQ(InfoText(SQL_DATABASE_NAME), server_.DatabasePath("sales"));
  EXPECT_EQ(InfoText(SQL_USER_NAME), "u");
  EXPECT_EQ(InfoText(SQL_DRIVER_NAME), "libtvcli09b.so");
  EXPECT_EQ(InfoText(SQL_DRIVER_VER).size(), 10u);
  EXPECT_EQ(InfoText(SQL_DATA_SOURCE_READ_ONLY), "Y");
  EXPECT_EQ(InfoText(SQL_CATALOG_NAME_SEPARATOR), ":");

  SQLUSMALLINT small = 99;
  SQLSMALLINT length = 0;
  EXPECT_EQ(SQLGetInfo(dbc_, SQL_TXN_CAPABLE, &small, 0, &length),
            SQL_SUCCESS);
  EXPECT_EQ(small, SQL_TC_NONE);
  EXPECT_EQ(length, 2);
  SQLUINTEGER mask = 0;
  EXPECT_EQ(SQLGetInfo(dbc_, SQL_GETDATA_EXTENSIONS, &mask, 0, &length),
            SQL_SUCCESS);
  EXPECT_EQ(length, 4);
  EXPECT_TRUE(mask & SQL_GD_ANY_COLUMN);
  EXPECT_TRUE(mask & SQL_GD_ANY_ORDER);

  // Cut to fit with a warning, the full length still told; only the length
  // without a buffer.
  char cut[4] = {};
  EXPECT_EQ(SQLGetInfo(dbc_, SQL_DBMS_VER, cut, sizeof cut, &length),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(cut, "11.");
  EXPECT_EQ(length, 16);
  EXPECT_EQ(State(SQL_HANDLE_DBC, dbc_), "01004");
  EXPECT_EQ(SQLGetInfo(dbc_, SQL_DBMS_NAME, nullptr, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(length, 6);

  EXPECT_EQ(SQLGetInfo(dbc_, 4242, cut, sizeof cut, &length), SQL_ERROR);
  EXPECT_EQ(State(SQL_HANDLE_DBC, dbc_), "HY096");
  EXPECT_EQ(SQLGetInfo(dbc_, SQL_DBMS_NAME, cut, -1, &length), SQL_ERROR);
  EXPECT_EQ(State(SQL_HANDLE_DBC, dbc_), "HY090");
}

TEST_F(OdbcFunctionsTest, GetInfoBeforeConnectingAnswersOnlyVersions) {
  SQLHDBC other = SQL_NULL_HDBC;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env_, &other), SQL_SUCCESS);
  char value[32] = {};
  EXPECT_EQ(SQLGetInfo(other, SQL_DRIVER_ODBC_VER, value, sizeof value,
                       nullptr),
            SQL_SUCCESS);
  EXPECT_STREQ(value, "03.00");
  EXPECT_EQ(SQLGetInfo(other, SQL_DBMS_NAME, value, sizeof value, nullptr),
            SQL_ERROR);
  EXPECT_EQ(State(SQL_HANDLE_DBC, other), "08003");
  SQLFreeHandle(SQL_HANDLE_DBC, other);
}

// What SQLGetFunctions reports is exactly what the library exports.
TEST_F(OdbcFunctionsTest, GetFunctionsMatchesTheLibrarysExports) {
  const std::map<SQLUSMALLINT, const char*> names = {
      {SQL_API_SQLALLOCHANDLE, "SQLAllocHandle"},
      {SQL_API_SQLFREEHANDLE, "SQLFreeHandle"},
      {SQL_API_SQLSETENVATTR, "SQLSetEnvAttr"},
      {SQL_API_SQLGETENVATTR, "SQLGetEnvAttr"},
      {SQL_API_SQLCONNECT, "SQLConnect"},
      {SQL_API_SQLDRIVERCONNECT, "SQLDriverConnect"},
      {SQL_API_SQLBROWSECONNECT, "SQLBrowseConnect"},
      {SQL_API_SQLDISCONNECT, "SQLDisconnect"},
      {SQL_API_SQLSETCONNECTATTR, "SQLSetConnectAttr"},
      {SQL_API_SQLGETCONNECTATTR, "SQLGetConnectAttr"},
      {SQL_API_SQLENDTRAN, "SQLEndTran"},
      {SQL_API_SQLSETSTMTATTR, "SQLSetStmtAttr"},
      {SQL_API_SQLGETSTMTATTR, "SQLGetStmtAttr"},
      {SQL_API_SQLPREPARE, "SQLPrepare"},
      {SQL_API_SQLEXECUTE, "SQLExecute"},
      {SQL_API_SQLEXECDIRECT, "SQLExecDirect"},
      {SQL_API_SQLNUMRESULTCOLS, "SQLNumResultCols"},
      {SQL_API_SQLDESCRIBECOL, "SQLDescribeCol"},
      {SQL_API_SQLCOLATTRIBUTE, "SQLColAttribute"},
      {SQL_API_SQLBINDCOL, "SQLBindCol"},
      {SQL_API_SQLBINDPARAMETER, "SQLBindParameter"},
      {SQL_API_SQLFETCH, "SQLFetch"},
      {SQL_API_SQLFETCHSCROLL, "SQLFetchScroll"},
      {SQL_API_SQLGETDATA, "SQLGetData"},
      {SQL_API_SQLROWCOUNT, "SQLRowCount"},
      {SQL_API_SQLMORERESULTS, "SQLMoreResults"},
      {SQL_API_SQLCLOSECURSOR, "SQLCloseCursor"},
      {SQL_API_SQLFREESTMT, "SQLFreeStmt"},
      {SQL_API_SQLCANCEL, "SQLCancel"},
      {SQL_API_SQLERROR, "SQLError"},
      {SQL_API_SQLGETDIAGREC, "SQLGetDiagRec"},
      {SQL_API_SQLGETDIAGFIELD, "SQLGetDiagField"},
      {SQL_API_SQLGETINFO, "SQLGetInfo"},
      {SQL_API_SQLGETFUNCTIONS, "SQLGetFunctions"},
      {SQL_API_SQLTABLES, "SQLTables"},
      {SQL_API_SQLCOLUMNS, "SQLColumns"},
      {SQL_API_SQLGETTYPEINFO, "SQLGetTypeInfo"},
  };
  void* library = dlopen(
      (tce::ExecutableDirectory() + "/libtvcli09b.so").c_str(), RTLD_NOW);
  ASSERT_NE(library, nullptr);
  SQLUSMALLINT bitmap[SQL_API_ODBC3_ALL_FUNCTIONS_SIZE];
  ASSERT_EQ(SQLGetFunctions(dbc_, SQL_API_ODBC3_ALL_FUNCTIONS, bitmap),
            SQL_SUCCESS);
  SQLUSMALLINT odbc2[100];
  ASSERT_EQ(SQLGetFunctions(dbc_, SQL_API_ALL_FUNCTIONS, odbc2), SQL_SUCCESS);
  int exported = 0;
  for (const auto& [id, name] : names) {
    const bool present = dlsym(library, name) != nullptr;
    exported += present;
    SQLUSMALLINT one = 99;
    EXPECT_EQ(SQLGetFunctions(dbc_, id, &one), SQL_SUCCESS);
    EXPECT_EQ(one, present ? SQL_TRUE : SQL_FALSE) << name;
    EXPECT_EQ(SQL_FUNC_EXISTS(bitmap, id), present ? SQL_TRUE : SQL_FALSE)
        << name;
    if (id < 100) {
      EXPECT_EQ(odbc2[id], one) << name;
    }
  }
  EXPECT_GT(exported, 20);
  // Nothing outside the table is claimed: the table covers every function
  // the driver says it has.
  for (int id = 0; id < SQL_API_ODBC3_ALL_FUNCTIONS_SIZE * 16; ++id) {
    if (SQL_FUNC_EXISTS(bitmap, id) == SQL_TRUE) {
      EXPECT_TRUE(names.count(static_cast<SQLUSMALLINT>(id)))
          << "the driver claims function " << id;
    }
  }
  dlclose(library);
}

TEST_F(OdbcFunctionsTest, ColumnAttributesDescribeTheResult) {
  ASSERT_EQ(ExecDirect("SELECT owner, tabname AS name, nrows, pagesize, "
                       "1.5, 'a' FROM systables ORDER BY tabid"),
            SQL_SUCCESS);
  SQLLEN number = 0;
  EXPECT_EQ(SQLColAttribute(stmt_, 0, SQL_DESC_COUNT, nullptr, 0, nullptr,
                            &number),
            SQL_SUCCESS);
  EXPECT_EQ(number, 6);
  struct Expected {
    const char* label;
    SQLLEN type;
    SQLLEN display;
    const char* type_name;
  };
  const Expected expected[] = {
      {"owner", SQL_CHAR, 32, "CHAR"},
      {"name", SQL_VARCHAR, 128, "VARCHAR"},
      {"nrows", SQL_BIGINT, 20, "BIGINT"},
      {"pagesize", SQL_INTEGER, 11, "INTEGER"},
      {"1.5", SQL_DOUBLE, 24, "FLOAT"},
      {"'a'", SQL_VARCHAR, 255, "VARCHAR"},
  };
  for (SQLUSMALLINT c = 1; c <= 6; ++c) {
    const Expected& e = expected[c - 1];
    char text[64] = {};
    SQLSMALLINT length = 0;
    EXPECT_EQ(SQLColAttribute(stmt_, c, SQL_DESC_LABEL, text, sizeof text,
                              &length, nullptr),
              SQL_SUCCESS);
    EXPECT_STREQ(text, e.label);
    EXPECT_EQ(length, static_cast<SQLSMALLINT>(std::strlen(e.label)));
    SQLColAttribute(stmt_, c, SQL_DESC_CONCISE_TYPE, nullptr, 0, nullptr,
                    &number);
    EXPECT_EQ(number, e.type) << c;
    SQLColAttribute(stmt_, c, SQL_DESC_DISPLAY_SIZE, nullptr, 0, nullptr,
                    &number);
    EXPECT_EQ(number, e.display) << c;
    SQLColAttribute(stmt_, c, SQL_DESC_TYPE_NAME, text, sizeof text, nullptr,
                    nullptr);
    EXPECT_STREQ(text, e.type_name) << c;
    SQLColAttribute(stmt_, c, SQL_DESC_UPDATABLE, nullptr, 0, nullptr,
                    &number);
    EXPECT_EQ(number, SQL_ATTR_READONLY);
  }
  // ODBC 2 numbers for the same fields.
  SQLColAttribute(stmt_, 3, SQL_COLUMN_LENGTH, nullptr, 0, nullptr, &number);
  EXPECT_EQ(number, 8);
  char cut[3] = {};
  SQLSMALLINT length = 0;
  EXPECT_EQ(SQLColAttribute(stmt_, 3, SQL_DESC_NAME, cut, sizeof cut, &length,
                            nullptr),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(cut, "nr");
  EXPECT_EQ(length, 5);
  EXPECT_EQ(SQLColAttribute(stmt_, 7, SQL_DESC_NAME, cut, sizeof cut, nullptr,
                            nullptr),
            SQL_ERROR);
  EXPECT_EQ(StmtState(), "07009");
  EXPECT_EQ(SQLColAttribute(stmt_, 1, 4321, cut, sizeof cut, nullptr,
                            &number),
            SQL_ERROR);
  EXPECT_EQ(StmtState(), "HY091");
}

TEST_F(OdbcFunctionsTest, GetDataDeliversTextInPartsAndNullsOnce) {
  ASSERT_EQ(ExecDirect("SELECT c, n FROM misc ORDER BY rowid"), SQL_SUCCESS);
  char part[5];
  SQLLEN indicator = 0;
  EXPECT_EQ(SQLGetData(stmt_, 1, SQL_C_CHAR, part, sizeof part, &indicator),
            SQL_ERROR);  // no row yet
  EXPECT_EQ(StmtState(), "24000");
  ASSERT_EQ(SQLFetch(stmt_), SQL_SUCCESS);
  EXPECT_EQ(SQLGetData(stmt_, 2, SQL_C_CHAR, part, sizeof part, nullptr),
            SQL_ERROR);
  EXPECT_EQ(StmtState(), "22002");
  EXPECT_EQ(SQLGetData(stmt_, 2, SQL_C_CHAR, part, sizeof part, &indicator),
            SQL_SUCCESS);
  EXPECT_EQ(indicator, SQL_NULL_DATA);
  EXPECT_EQ(SQLGetData(stmt_, 2, SQL_C_CHAR, part, sizeof part, &indicator),
            SQL_NO_DATA);

  ASSERT_EQ(SQLFetch(stmt_), SQL_SUCCESS);
  // "line1\nline2": 11 bytes in parts of four, each told what remains.
  std::string whole;
  std::string remaining;
  SQLRETURN rc;
  while ((rc = SQLGetData(stmt_, 1, SQL_C_CHAR, part, sizeof part,
                          &indicator)) != SQL_NO_DATA) {
    ASSERT_NE(rc, SQL_ERROR);
    EXPECT_EQ(rc == SQL_SUCCESS_WITH_INFO, StmtState() == "01004");
    whole += part;
    remaining += std::to_string(indicator) + " ";
  }
  EXPECT_EQ(whole, "line1\nline2");
  EXPECT_EQ(remaining, "11 7 3 ");
  // Another column, then back: each starts again from its beginning.
  EXPECT_EQ(SQLGetData(stmt_, 2, SQL_C_CHAR, part, sizeof part, &indicator),
            SQL_SUCCESS);
  EXPECT_STREQ(part, "   ");
  EXPECT_EQ(SQLGetData(stmt_, 1, SQL_C_CHAR, part, sizeof part, &indicator),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(part, "line");

  EXPECT_EQ(SQLGetData(stmt_, 0, SQL_C_CHAR, part, sizeof part, &indicator),
            SQL_ERROR);
  EXPECT_EQ(StmtState(), "07009");
  EXPECT_EQ(SQLGetData(stmt_, 1, SQL_C_BINARY, part, sizeof part, &indicator),
            SQL_ERROR);
  EXPECT_EQ(StmtState(), "HYC00");
  EXPECT_EQ(SQLFetch(stmt_), SQL_NO_DATA);
  EXPECT_EQ(SQLGetData(stmt_, 1, SQL_C_CHAR, part, sizeof part, &indicator),
            SQL_ERROR);
  EXPECT_EQ(StmtState(), "24000");
}

// A long value read as UTF-16 in small parts arrives whole and in order
// (it is converted once, not again for every part).
TEST_F(OdbcFunctionsTest, WideTextInPartsArrivesWhole) {
  ASSERT_EQ(ExecDirect("SELECT 'caf' || char(233) || "
                       "replace(hex(zeroblob(300000)), '00', 'ab')"),
            SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(stmt_), SQL_SUCCESS);
  std::u16string whole;
  SQLWCHAR part[512];
  SQLLEN indicator = 0;
  SQLRETURN rc;
  int parts = 0;
  while ((rc = SQLGetData(stmt_, 1, SQL_C_WCHAR, part, sizeof part,
                          &indicator)) != SQL_NO_DATA) {
    ASSERT_NE(rc, SQL_ERROR);
    if (parts == 0) {
      EXPECT_EQ(indicator, 2 * 600004);
    }
    for (size_t i = 0; i < 511 && part[i] != 0; ++i)
      whole += static_cast<char16_t>(part[i]);
    ++parts;
  }
  EXPECT_EQ(parts, (600004 + 510) / 511);
  ASSERT_EQ(whole.size(), 600004u);
  EXPECT_EQ(whole.substr(0, 6), u"caf\u00e9ab");
  EXPECT_EQ(whole.back(), u'b');
}

TEST_F(OdbcFunctionsTest, ValuesConvertToNumbersAndWideText) {
  ASSERT_EQ(ExecDirect("SELECT nrows, 70000, 2.75, 2.75, ' 12 ', 'twelve', "
                       "'caf' || char(233) FROM systables WHERE tabid = 1"),
            SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(stmt_), SQL_SUCCESS);
  SQLLEN indicator = 0;
  SQLINTEGER whole = 0;
  EXPECT_EQ(SQLGetData(stmt_, 1, SQL_C_SLONG, &whole, 0, &indicator),
            SQL_SUCCESS);
  EXPECT_EQ(whole, 5000);
  EXPECT_EQ(indicator, 4);
  SQLSMALLINT small = 0;
  EXPECT_EQ(SQLGetData(stmt_, 2, SQL_C_SSHORT, &small, 0, &indicator),
            SQL_ERROR);
  EXPECT_EQ(StmtState(), "22003");
  EXPECT_EQ(SQLGetData(stmt_, 3, SQL_C_SLONG, &whole, 0, &indicator),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(whole, 2);
  EXPECT_EQ(StmtState(), "01S07");
  // A number's value goes out once.
  EXPECT_EQ(SQLGetData(stmt_, 3, SQL_C_SLONG, &whole, 0, &indicator),
            SQL_NO_DATA);
  double real = 0;
  EXPECT_EQ(SQLGetData(stmt_, 4, SQL_C_DEFAULT, &real, 0, &indicator),
            SQL_SUCCESS);
  EXPECT_EQ(real, 2.75);
  SQLBIGINT big = 0;
  EXPECT_EQ(SQLGetData(stmt_, 5, SQL_C_SBIGINT, &big, 0, &indicator),
            SQL_SUCCESS);
  EXPECT_EQ(big, 12);
  EXPECT_EQ(SQLGetData(stmt_, 6, SQL_C_DOUBLE, &real, 0, &indicator),
            SQL_ERROR);
  EXPECT_EQ(StmtState(), "22018");
  SQLWCHAR wide[8] = {};
  EXPECT_EQ(SQLGetData(stmt_, 7, SQL_C_WCHAR, wide, sizeof wide, &indicator),
            SQL_SUCCESS);
  EXPECT_EQ(indicator, 8);  // four UTF-16 units
  EXPECT_EQ(wide[0], u'c');
  EXPECT_EQ(wide[3], 0xE9);
  EXPECT_EQ(wide[4], 0);
}

TEST_F(OdbcFunctionsTest, BoundNumbersArriveWithFetch) {
  ASSERT_EQ(ExecDirect("SELECT tabid, nrows, npused FROM systables "
                       "WHERE tabid = 1"),
            SQL_SUCCESS);
  SQLINTEGER id = 0;
  SQLBIGINT rows = 0;
  double pages = 0;
  SQLLEN lengths[3] = {};
  SQLBindCol(stmt_, 1, SQL_C_DEFAULT, &id, 0, &lengths[0]);
  SQLBindCol(stmt_, 2, SQL_C_SBIGINT, &rows, 0, &lengths[1]);
  SQLBindCol(stmt_, 3, SQL_C_DOUBLE, &pages, 0, &lengths[2]);
  ASSERT_EQ(SQLFetch(stmt_), SQL_SUCCESS);
  EXPECT_EQ(id, 1);
  EXPECT_EQ(rows, 5000);
  EXPECT_EQ(pages, 120);
  EXPECT_EQ(lengths[0], 4);
  EXPECT_EQ(lengths[2], 8);
}

TEST_F(OdbcFunctionsTest, CountsAndFurtherResults) {
  SQLLEN count = 0;
  EXPECT_EQ(SQLRowCount(stmt_, &count), SQL_ERROR);
  EXPECT_EQ(StmtState(), "HY010");
  EXPECT_EQ(SQLCloseCursor(stmt_), SQL_ERROR);
  EXPECT_EQ(StmtState(), "24000");
  ASSERT_EQ(ExecDirect("SELECT tabid FROM systables"), SQL_SUCCESS);
  EXPECT_EQ(SQLRowCount(stmt_, &count), SQL_SUCCESS);
  EXPECT_EQ(count, -1);
  EXPECT_EQ(SQLCloseCursor(stmt_), SQL_SUCCESS);
  ASSERT_EQ(ExecDirect("SELECT tabid FROM systables"), SQL_SUCCESS);
  EXPECT_EQ(SQLFetch(stmt_), SQL_SUCCESS);
  EXPECT_EQ(SQLMoreResults(stmt_), SQL_NO_DATA);
  EXPECT_EQ(SQLFetch(stmt_), SQL_ERROR);  // the cursor went with it
  EXPECT_EQ(ExecDirect("SELEC 1"), SQL_ERROR);
  EXPECT_EQ(StmtState(), "42000");
}

TEST_F(OdbcFunctionsTest, DiagnosticFieldsOneByOne) {
  ASSERT_EQ(ExecDirect("SELECT * FROM nosuch"), SQL_ERROR);
  SQLINTEGER records = 0;
  EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_STMT, stmt_, 0, SQL_DIAG_NUMBER,
                            &records, 0, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(records, 1);
  SQLRETURN returned = SQL_SUCCESS;
  EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_STMT, stmt_, 0, SQL_DIAG_RETURNCODE,
                            &returned, 0, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(returned, SQL_ERROR);
  char text[128] = {};
  SQLSMALLINT length = 0;
  EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_STMT, stmt_, 1, SQL_DIAG_SQLSTATE, text,
                            sizeof text, &length),
            SQL_SUCCESS);
  EXPECT_STREQ(text, "42S02");
  SQLINTEGER native = 0;
  SQLGetDiagField(SQL_HANDLE_STMT, stmt_, 1, SQL_DIAG_NATIVE, &native, 0,
                  nullptr);
  EXPECT_EQ(native, -1002);
  SQLGetDiagField(SQL_HANDLE_STMT, stmt_, 1, SQL_DIAG_MESSAGE_TEXT, text,
                  sizeof text, &length);
  EXPECT_STREQ(text,
               "[Tarvex][CLI Driver][Server] Table nosuch does not exist in "
               "this database.");
  SQLGetDiagField(SQL_HANDLE_STMT, stmt_, 1, SQL_DIAG_CLASS_ORIGIN, text,
                  sizeof text, nullptr);
  EXPECT_STREQ(text, "ISO 9075");
  SQLGetDiagField(SQL_HANDLE_STMT, stmt_, 1, SQL_DIAG_SUBCLASS_ORIGIN, text,
                  sizeof text, nullptr);
  EXPECT_STREQ(text, "ODBC 3.0");  // 42S02 is ODBC's
  EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_STMT, stmt_, 2, SQL_DIAG_SQLSTATE, text,
                            sizeof text, &length),
            SQL_NO_DATA);
  EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_STMT, stmt_, 0, SQL_DIAG_SQLSTATE, text,
                            sizeof text, &length),
            SQL_ERROR);
  EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_STMT, stmt_, 1, 9999, text,
                            sizeof text, &length),
            SQL_ERROR);
  // Reading diagnostics leaves them in place.
  EXPECT_EQ(StmtState(), "42S02");
  EXPECT_EQ(StmtState(), "42S02");
}

TEST_F(OdbcFunctionsTest, ConnectionAttributesOfAReadOnlyCatalog) {
  SQLUINTEGER value = 0;
  EXPECT_EQ(SQLGetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, &value, 0, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(value, static_cast<SQLUINTEGER>(SQL_AUTOCOMMIT_ON));
  EXPECT_EQ(SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                              reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                              0),
            SQL_SUCCESS);
  SQLGetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, &value, 0, nullptr);
  EXPECT_EQ(value, static_cast<SQLUINTEGER>(SQL_AUTOCOMMIT_OFF));
  EXPECT_EQ(SQLSetConnectAttr(dbc_, SQL_ATTR_ACCESS_MODE,
                              reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_WRITE),
                              0),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(State(SQL_HANDLE_DBC, dbc_), "01S02");
  SQLGetConnectAttr(dbc_, SQL_ATTR_ACCESS_MODE, &value, 0, nullptr);
  EXPECT_EQ(value, static_cast<SQLUINTEGER>(SQL_MODE_READ_ONLY));
  char catalog[256] = {};
  SQLINTEGER length = 0;
  EXPECT_EQ(SQLGetConnectAttr(dbc_, SQL_ATTR_CURRENT_CATALOG, catalog,
                              sizeof catalog, &length),
            SQL_SUCCESS);
  EXPECT_EQ(catalog, server_.DatabasePath("sales"));
  EXPECT_EQ(SQLSetConnectAttr(dbc_, SQL_ATTR_PACKET_SIZE,
                              reinterpret_cast<SQLPOINTER>(4096), 0),
            SQL_ERROR);
  EXPECT_EQ(State(SQL_HANDLE_DBC, dbc_), "HYC00");
}

TEST_F(OdbcFunctionsTest, ConnectTakesADataSourceUserAndPassword) {
  SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
  stmt_ = SQL_NULL_HSTMT;
  ASSERT_EQ(SQLDisconnect(dbc_), SQL_SUCCESS);
  // Without a data source of that name, the name is the database's.
  const std::string path = server_.DatabasePath("sales");
  SQLCHAR* source = reinterpret_cast<SQLCHAR*>(const_cast<char*>(path.c_str()));
  SQLCHAR user[] = "u";
  EXPECT_EQ(SQLConnect(dbc_, source, SQL_NTS, user, SQL_NTS, nullptr, 0),
            SQL_SUCCESS);
  char value[256] = {};
  SQLGetInfo(dbc_, SQL_DATA_SOURCE_NAME, value, sizeof value, nullptr);
  EXPECT_EQ(value, path);
  EXPECT_EQ(SQLConnect(dbc_, source, SQL_NTS, user, SQL_NTS, nullptr, 0),
            SQL_ERROR);
  EXPECT_EQ(State(SQL_HANDLE_DBC, dbc_), "08002");
  EXPECT_EQ(SQLDisconnect(dbc_), SQL_SUCCESS);
  SQLCHAR missing[] = "no-such-source";
  EXPECT_EQ(SQLConnect(dbc_, missing, SQL_NTS, nullptr, 0, nullptr, 0),
            SQL_ERROR);
  EXPECT_EQ(State(SQL_HANDLE_DBC, dbc_), "08001");
  EXPECT_EQ(SQLConnect(dbc_, missing, -5, nullptr, 0, nullptr, 0), SQL_ERROR);
  EXPECT_EQ(State(SQL_HANDLE_DBC, dbc_), "HY090");
}

}  // namespace
