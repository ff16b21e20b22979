// The embedded driver registered with the unixODBC driver manager in a
// test-local odbcinst.ini: the command-line tool through the driver manager
// writes what it writes through the driver directly, unixODBC's isql lists
// the demo catalog, and the driver's answers pass through the manager.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/batch_process.h"
#include "model/format.h"
#include "base/text_file.h"
#include "actions/results_actions.h"
#include "analysis/table_columns.h"
#include "support/app_fixture.h"
#include "support/temp_dir.h"

namespace tce {
namespace {

using ::tce::testing::ReadFileBytes;
using ::tce::testing::TempDir;
using ::tce::testing::WriteFileBytes;

constexpr char kDriverName[] = "Tarvex Catalog Driver";

// A driver manager set up for this process and its children: the driver
// registered, a data source for the demo database, and a default one.
class DriverManagerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    config_ = new TempDir();
    WriteFileBytes(config_->File("odbcinst.ini"),
                   std::string("[") + kDriverName +
                       "]\nDescription=Tarvex catalog driver\nDriver=" +
                       ExecutableDirectory() + "/libtvcli09b.so\n");
    WriteFileBytes(config_->File("odbc.ini"),
                   std::string("[DEFAULT]\nDriver=") + kDriverName +
                       "\n\n[tarvex-demo]\nDriver=" + kDriverName +
                       "\nDATABASE=demo\n\n[tarvex-unnamed]\nDriver=" +
                       kDriverName + "\n");
    setenv("ODBCSYSINI", config_->path().c_str(), 1);
    setenv("ODBCINI", config_->File("odbc.ini").c_str(), 1);
  }
  static void TearDownTestSuite() {
    delete config_;
    config_ = nullptr;
  }

  struct Run {
    int status = -1;
    std::string out;
    std::string err;
  };
  // Runs a shell command in `cwd`; its output and error output.
  static Run Shell(const std::string& command, const TempDir& cwd) {
    const std::string full = "cd '" + cwd.path().string() + "' && " +
                             command + " >out.txt 2>err.txt";
    Run run;
    const int status = std::system(full.c_str());
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFileBytes(cwd.File("out.txt"));
    run.err = ReadFileBytes(cwd.File("err.txt"));
    return run;
  }
  // The command-line tool, directly (no configuration) or through the
  // driver manager (CLILIB in the configuration beside where it starts).
  static Run Batch(const std::string& args, bool through_manager) {
    TempDir cwd;
    if (through_manager) {
      WriteFileBytes(cwd.File("TarvexCompEst.ini"),
                     "CLILIB=libodbc.so.2\r\n");
    }
    return Shell(ExecutableDirectory() + "/tarvex-compest-batch " + args +
                     " </dev/null",
                 cwd);
  }
  static Run Isql(const std::string& args, const std::string& input) {
    TempDir cwd;
    WriteFileBytes(cwd.File("in.sql"), input);
#ifdef TCE_ASAN_RUNTIME
    // isql's own leaks are not this driver's.
    const std::string isql = std::string("LD_PRELOAD=") + TCE_ASAN_RUNTIME +
                             " ASAN_OPTIONS=detect_leaks=0 isql";
#else
    const std::string isql = "isql";
#endif
    return Shell(isql + " -b -v " + args + " <in.sql", cwd);
  }

  static TempDir* config_;
};

TempDir* DriverManagerTest::config_ = nullptr;

TEST_F(DriverManagerTest, TheEstimateThroughTheManagerIsTheDirectOne) {
  for (const std::string args :
       {"--database demo", "--database demo --columns --row --bytes",
        "--database demo --json --column-cardinality"}) {
    const Run direct = Batch(args, false);
    const Run managed = Batch(args, true);
    ASSERT_EQ(direct.status, 0) << args << "\n" << direct.err;
    ASSERT_EQ(managed.status, 0) << args << "\n" << managed.err;
    EXPECT_GT(direct.out.size(), 1000u) << args;
    EXPECT_EQ(::tce::testing::Timeless(managed.out),
              ::tce::testing::Timeless(direct.out)) << args;
  }
}

TEST_F(DriverManagerTest, FailuresThroughTheManagerAreTheDriversOwn) {
  const Run missing = Batch("--database nosuchdb", true);
  EXPECT_NE(missing.status, 0);
  EXPECT_NE(missing.err.find("Database nosuchdb does not exist on this server"),
            std::string::npos)
      << missing.err;
}

TEST_F(DriverManagerTest, IsqlListsTheDemoCatalogThroughADataSource) {
  const Run run = Isql("tarvex-demo",
                       "SELECT tabid, tabname, nrows FROM systables "
                       "WHERE tabid <= 3 ORDER BY tabid\n");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  for (const char* expected :
       {"| tabid", "| tabname", "| 1 ", "customer", "1284550", "orders",
        "order_line"}) {
    EXPECT_NE(run.out.find(expected), std::string::npos)
        << expected << "\n" << run.out;
  }
  EXPECT_EQ(run.out.find("invoice"), std::string::npos) << run.out;
}

TEST_F(DriverManagerTest, IsqlConnectsByDriverNameAndReportsErrors) {
  const Run run = Isql(std::string("-k \"DRIVER={") + kDriverName +
                           "};DATABASE=demo\"",
                       "SELECT tabname FROM systables WHERE tabid = 2\n"
                       "SELECT missing FROM nowhere\n");
  EXPECT_NE(run.out.find("| orders "), std::string::npos) << run.out;
  EXPECT_NE((run.out + run.err)
                .find("Table nowhere does not exist in this database."),
            std::string::npos)
      << run.out << run.err;
  // A data source without DATABASE names the database of its own name.
  const Run unnamed = Isql("tarvex-unnamed", "SELECT 1\n");
  EXPECT_NE(unnamed.status, 0);
  EXPECT_NE((unnamed.out + unnamed.err)
                .find("Database tarvex-unnamed does not exist"),
            std::string::npos)
      << unnamed.out << unnamed.err;
}

// What the windows show of the demo database: every listed table's cells,
// then each table's column lines as its details query reads them.
std::vector<std::string> WindowsView(bool through_manager) {
  testing::AppFixture fixture;
  if (through_manager) fixture.app.library.SetName("libodbc.so.2");
  const Status connected = fixture.Connect("demo");
  EXPECT_TRUE(connected.ok()) << connected.ToString();
  std::vector<std::string> lines;
  const RunResult run = fixture.RunEstimate();
  EXPECT_EQ(run.outcome, RunOutcome::kListed) << run.status.ToString();
  for (const TableRecord& table :
       testing::AppFixture::ListedTables(*run.record)) {
    std::string cells;
    for (const std::string& cell :
         testing::AppFixture::Cells(table, run.record->shown()))
      cells += cell + "|";
    lines.push_back(cells);
    EstimateContext estimate;
    const Status read =
        ReadTableColumns(fixture.app.connection, fixture.app.statistics,
                         run.record->settings,
                         table.owner, table.table, estimate);
    EXPECT_TRUE(read.ok()) << read.ToString();
    for (const ColumnDetail& column : ColumnDetails(estimate)) {
      lines.push_back("  " + column.name + "|" + column.type + "|" +
                      std::to_string(column.bytes) + "|" +
                      column.pct.ToText() + "|" +
                      BasisText(column.basis, column.sample, column.rows));
    }
  }
  return lines;
}

TEST_F(DriverManagerTest, TableDetailsThroughTheManagerAreTheDirectOnes) {
  const std::vector<std::string> direct = WindowsView(false);
  EXPECT_GT(direct.size(), 400u);  // 64 tables and their columns
  EXPECT_EQ(WindowsView(true), direct);
}

// The program's own calls go straight to the driver's functions; these are
// the ones a driver manager and other tools add.
class ThroughTheManager : public DriverManagerTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_),
              SQL_SUCCESS);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION,
                  reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_), SQL_SUCCESS);
    SQLCHAR source[] = "tarvex-demo";
    ASSERT_TRUE(SQL_SUCCEEDED(
        SQLConnect(dbc_, source, SQL_NTS, nullptr, 0, nullptr, 0)))
        << Diagnostic(SQL_HANDLE_DBC, dbc_);
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt_), SQL_SUCCESS);
  }
  void TearDown() override {
    SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
    SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }
  static std::string Diagnostic(SQLSMALLINT type, SQLHANDLE handle) {
    SQLCHAR state[6] = {}, message[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, 1, state, &native, message,
                                     sizeof message, &length))) {
      return "";
    }
    return std::string(reinterpret_cast<char*>(state)) + " " +
           reinterpret_cast<char*>(message);
  }
  std::string Info(SQLUSMALLINT type) {
    char value[256] = {};
    SQLSMALLINT length = 0;
    EXPECT_EQ(SQLGetInfo(dbc_, type, value, sizeof value, &length),
              SQL_SUCCESS);
    return std::string(value, length);
  }
  SQLRETURN ExecDirect(const char* sql) {
    return SQLExecDirect(
        stmt_, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql)), SQL_NTS);
  }

  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  SQLHSTMT stmt_ = SQL_NULL_HSTMT;
};

TEST_F(ThroughTheManager, InformationAndFunctionsReachTheApplication) {
  EXPECT_EQ(Info(SQL_DBMS_NAME), "Tarvex");
  EXPECT_EQ(Info(SQL_DATABASE_NAME), "demo");
  EXPECT_EQ(Info(SQL_DATA_SOURCE_NAME), "tarvex-demo");
  EXPECT_EQ(Info(SQL_DRIVER_ODBC_VER), "03.00");
  EXPECT_EQ(Info(SQL_DATA_SOURCE_READ_ONLY), "Y");
  SQLUSMALLINT supported = SQL_FALSE;
  EXPECT_EQ(SQLGetFunctions(dbc_, SQL_API_SQLGETDATA, &supported),
            SQL_SUCCESS);
  EXPECT_EQ(supported, SQL_TRUE);
}

TEST_F(ThroughTheManager, ColumnsValuesAndCountsReachTheApplication) {
  ASSERT_EQ(ExecDirect("SELECT tabname, nrows FROM systables WHERE tabid = 1"),
            SQL_SUCCESS)
      << Diagnostic(SQL_HANDLE_STMT, stmt_);
  char label[64] = {};
  SQLSMALLINT label_length = 0;
  EXPECT_TRUE(SQL_SUCCEEDED(SQLColAttribute(stmt_, 2, SQL_DESC_LABEL, label,
                                            sizeof label, &label_length,
                                            nullptr)));
  EXPECT_STREQ(label, "nrows");
  SQLLEN type = 0;
  EXPECT_TRUE(SQL_SUCCEEDED(SQLColAttribute(stmt_, 2, SQL_DESC_CONCISE_TYPE,
                                            nullptr, 0, nullptr, &type)));
  EXPECT_EQ(type, SQL_BIGINT);
  ASSERT_EQ(SQLFetch(stmt_), SQL_SUCCESS);
  char name[4] = {};
  SQLLEN indicator = 0;
  // "customer" in parts of three characters.
  std::string whole;
  SQLRETURN rc;
  while ((rc = SQLGetData(stmt_, 1, SQL_C_CHAR, name, sizeof name,
                          &indicator)) != SQL_NO_DATA) {
    ASSERT_TRUE(SQL_SUCCEEDED(rc)) << Diagnostic(SQL_HANDLE_STMT, stmt_);
    whole += name;
  }
  EXPECT_EQ(whole, "customer");
  SQLBIGINT rows = 0;
  EXPECT_EQ(SQLGetData(stmt_, 2, SQL_C_SBIGINT, &rows, 0, &indicator),
            SQL_SUCCESS);
  EXPECT_EQ(rows, 1284550);
  EXPECT_EQ(SQLFetch(stmt_), SQL_NO_DATA);
  SQLLEN count = 0;
  EXPECT_EQ(SQLRowCount(stmt_, &count), SQL_SUCCESS);
  EXPECT_EQ(count, -1);
  EXPECT_EQ(SQLMoreResults(stmt_), SQL_NO_DATA);
}

// The manager shares the driver's environment among its connections and
// asks it for the ODBC version: a second connection is as clean as the first.
TEST_F(ThroughTheManager, FurtherConnectionsOnTheEnvironmentConnectCleanly) {
  SQLHDBC second = SQL_NULL_HDBC;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env_, &second), SQL_SUCCESS);
  SQLCHAR source[] = "tarvex-demo";
  EXPECT_EQ(SQLConnect(second, source, SQL_NTS, nullptr, 0, nullptr, 0),
            SQL_SUCCESS)
      << Diagnostic(SQL_HANDLE_DBC, second);
  SQLDisconnect(second);
  SQLFreeHandle(SQL_HANDLE_DBC, second);
}

TEST_F(ThroughTheManager, DiagnosticsReachTheApplication) {
  EXPECT_EQ(ExecDirect("SELECT x FROM nowhere"), SQL_ERROR);
  EXPECT_EQ(Diagnostic(SQL_HANDLE_STMT, stmt_),
            "42S02 [Tarvex][CLI Driver][Server] Table nowhere does not exist "
            "in this database.");
  SQLINTEGER records = 0;
  EXPECT_EQ(SQLGetDiagField(SQL_HANDLE_STMT, stmt_, 0, SQL_DIAG_NUMBER,
                            &records, 0, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(records, 1);
}

}  // namespace
}  // namespace tce
