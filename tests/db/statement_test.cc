// The statement layer through a real driver library: the embedded driver,
// and the unixODBC driver manager with the SQLite ODBC driver, which the
// test configures itself. The cases that depend on the embedded driver's
// own behaviour run against it alone.
#include "db/statement.h"

#include <dlfcn.h>
#include <glob.h>
#include <gtest/gtest.h>
#include <sqlext.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "support/test_server.h"

namespace tce {
namespace {

using ::tce::testing::ReadFileBytes;
using ::tce::testing::TempDir;
using ::tce::testing::TestServer;
using ::tce::testing::WriteFileBytes;

enum class Backend { kEmbedded, kUnixOdbc };

std::string SqliteOdbcDriver() {
  glob_t found{};
  std::string path;
  if (glob("/usr/lib/*/odbc/libsqlite3odbc.so", 0, nullptr, &found) == 0 &&
      found.gl_pathc > 0) {
    path = found.gl_pathv[0];
  }
  globfree(&found);
  return path;
}

class StatementTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    auto& db = server_.Database("t");
    db.AddTable("o", "t", 1, 1, 2048);
    std::string wide = "CREATE TABLE wide (";
    for (int i = 1; i <= 25; ++i) {
      wide += (i > 1 ? ", c" : "c") + std::to_string(i) + " INTEGER";
    }
    db.Execute(wide + ");");
    db.Execute("INSERT INTO wide (c1, c20, c21, c25) VALUES (1, 20, 21, 25);");
    db.Execute(
        "CREATE TABLE big (c CHAR(5000));"
        "INSERT INTO big VALUES (printf('%.5000c', 'x'));"
        "CREATE TABLE huge (a CHAR(4000), b CHAR(4000), c CHAR(4000), "
        "d CHAR(4000), e CHAR(4000), f CHAR(4000), g CHAR(4000), h CHAR(4000));"
        "CREATE TABLE fits (a CHAR(4000), b CHAR(4000), c CHAR(4000), "
        "d CHAR(4000), e CHAR(4000), f CHAR(4000), g CHAR(4000), "
        "x CHAR(3870), y CHAR(3871));"
        "CREATE TABLE vals (n INTEGER, v VARCHAR(20));"
        "INSERT INTO vals VALUES (1, 'plain'), (2, NULL), (3, '    '), "
        "(4, 'a' || char(10) || 'b'), (5, '  padded  ');"
        "INSERT INTO vals VALUES (' 6x ', 'number padded');");
    server_.Finish();

    if (GetParam() == Backend::kUnixOdbc) {
      const std::string driver = SqliteOdbcDriver();
      ASSERT_FALSE(driver.empty()) << "the SQLite ODBC driver is not installed";
      // The driver and the driver manager's configuration library stay
      // loaded to the end, so that what they leave allocated stays
      // attributable to them.
      ASSERT_NE(dlopen(driver.c_str(), RTLD_NOW | RTLD_NODELETE), nullptr)
          << dlerror();
      ASSERT_NE(dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_NODELETE), nullptr)
          << dlerror();
      WriteFileBytes(odbc_dir_.File("odbcinst.ini"),
                     "[SQLite3]\nDriver=" + driver + "\nDontDLClose=1\n");
      WriteFileBytes(odbc_dir_.File("odbc.ini"), "[Default]\nDriver=SQLite3\n");
      setenv("ODBCSYSINI", odbc_dir_.path().c_str(), 1);
      setenv("ODBCINI", odbc_dir_.File("odbc.ini").c_str(), 1);
      library_ = std::make_unique<CliLibrary>("libodbc.so.2");
    } else {
      library_ = std::make_unique<CliLibrary>();  // beside the executable
    }
    connection_ = std::make_unique<Connection>(*library_, logger_);
    const Status status =
        connection_->Open(server_.DatabasePath("t"), "", "", nullptr);
    ASSERT_TRUE(status.ok()) << status.ToString();
    statement_ = std::make_unique<Statement>(*connection_);
  }
  void TearDown() override {
    statement_.reset();
    connection_.reset();
  }

  // Executes; true when it worked.
  bool Execute(const std::string& sql) {
    last_ = statement_->ExecuteStatement(sql);
    return last_.ok();
  }
  // Fetches; true when a row came (a failure fails the test).
  bool Fetch(bool close_after_row = false) {
    bool has_row = false;
    const Status status = statement_->FetchRow(has_row, close_after_row);
    EXPECT_TRUE(status.ok()) << status.ToString();
    return has_row;
  }

  bool embedded() const { return GetParam() == Backend::kEmbedded; }
  std::string Result(int n) const { return statement_->StatementResult(n); }
  std::string LogText() const { return ReadFileBytes(log_.path()); }

  TestServer server_;
  TempDir odbc_dir_;
  TempDir log_dir_;
  RunSettings settings_;
  DebugLog log_{log_dir_.File("t.dbg")};
  Logger logger_{settings_, log_};
  std::unique_ptr<CliLibrary> library_;
  std::unique_ptr<Connection> connection_;
  std::unique_ptr<Statement> statement_;
  Status last_;
};

TEST_P(StatementTest, MarkersRunAsOneLineAndLogAsSeveral) {
  settings_.LogSQL = true;
  ASSERT_TRUE(Execute("~SELECT n, v ~FROM vals^WHERE n = 1"));
  ASSERT_TRUE(Fetch());
  EXPECT_EQ(Result(1), "1");
  EXPECT_EQ(Result(2), "plain");
  EXPECT_FALSE(Fetch());
  EXPECT_FALSE(statement_->open());
  EXPECT_EQ(LogText(), "SQL\r\nSELECT n, v \r\nFROM vals\tWHERE n = 1\r\n");
}

TEST_P(StatementTest, MarkersInsideLiteralsAreText) {
  ASSERT_TRUE(Execute("SELECT 'tilde~x^y', 'it''s~' ~FROM vals WHERE n = 1"));
  ASSERT_TRUE(Fetch(true));
  EXPECT_EQ(Result(1), "tilde~x^y");
  EXPECT_EQ(Result(2), "it's~");
}

TEST_P(StatementTest, OnlyTheFirstTwentyColumnsAreBound) {
  settings_.DebugLog = true;
  ASSERT_TRUE(Execute("SELECT * FROM wide"));
  EXPECT_EQ(statement_->ResultColumnCount(), 20);
  ASSERT_TRUE(Fetch(true));
  EXPECT_EQ(Result(1), "1");
  EXPECT_EQ(Result(20), "20");
  EXPECT_NE(LogText().find("Too many columns returned"), std::string::npos);
}

TEST_P(StatementTest, LongColumnsAreBoundWithACappedSlotAndCut) {
  ASSERT_TRUE(Execute("SELECT c FROM big"));
  ASSERT_EQ(statement_->ColumnSlots().size(), 1u);
  EXPECT_EQ(statement_->ColumnSlots()[0].offset, 1);
  EXPECT_EQ(statement_->ColumnSlots()[0].length, 4016);
  ASSERT_TRUE(Fetch(true));
  EXPECT_EQ(Result(1), std::string(4015, 'x'));
}

TEST_P(StatementTest, SlotsPastTheBufferEndWithRowTooLarge) {
  settings_.DebugLog = true;
  EXPECT_FALSE(Execute("SELECT * FROM huge"));
  EXPECT_FALSE(last_.driver_failure());
  EXPECT_EQ(last_.messages(),
            std::vector<std::string>{"Row too large to return"});
  EXPECT_NE(LogText().find("Message            Row too large to return"),
            std::string::npos);
  // The statement was closed: the next one runs normally.
  EXPECT_FALSE(statement_->open());
  ASSERT_TRUE(Execute("SELECT n FROM vals"));
  EXPECT_TRUE(Fetch());
}

TEST_P(StatementTest, TheBufferHoldsSlotsUpToItsLastByte) {
  // Seven slots of 4016 bytes from byte 1 end at 28112; an eighth of
  // 3886 bytes ends the slots at byte 31998, one of 3887 at 31999, so that
  // the next slot would start at byte 32000.
  ASSERT_TRUE(Execute("SELECT a, b, c, d, e, f, g, x FROM fits"));
  EXPECT_EQ(statement_->ColumnSlots().back().length, 3886);
  EXPECT_FALSE(Execute("SELECT a, b, c, d, e, f, g, y FROM fits"));
  EXPECT_EQ(last_.messages(),
            std::vector<std::string>{"Row too large to return"});
}

TEST_P(StatementTest, NullsBlanksAndLineFeedsArriveAsText) {
  ASSERT_TRUE(Execute("SELECT n, v FROM vals WHERE n < 6 ORDER BY n"));
  std::vector<std::string> values;
  while (Fetch()) values.push_back(Result(2));
  EXPECT_EQ(values,
            (std::vector<std::string>{"plain", "", "", "a\r\nb", "padded"}));
}

// A number column's value is trimmed too: a driver may pad it.
TEST_P(StatementTest, NumbersAreTrimmedAsEveryValueIs) {
  ASSERT_TRUE(Execute("SELECT n FROM vals WHERE v = 'number padded'"));
  ASSERT_TRUE(Fetch());
  EXPECT_EQ(Result(1), "6x");
}

TEST_P(StatementTest, EntriesBeyondTheColumnsKeepTheirValues) {
  ASSERT_TRUE(Execute("SELECT n, v FROM vals WHERE n = 1"));
  ASSERT_TRUE(Fetch(true));
  ASSERT_TRUE(Execute("SELECT n FROM vals WHERE n = 5"));
  ASSERT_TRUE(Fetch(true));
  EXPECT_EQ(Result(1), "5");
  EXPECT_EQ(Result(2), "plain");
  // The statement was closed after the row: fetching again is a failure.
  bool has_row = true;
  EXPECT_FALSE(statement_->FetchRow(has_row).ok());
  EXPECT_FALSE(has_row);
}

TEST_P(StatementTest, EmptyTextsAreNotSent) {
  settings_.LogSQL = true;
  EXPECT_FALSE(Execute("  ~ ^ "));
  EXPECT_FALSE(last_.driver_failure());
  EXPECT_FALSE(Execute(""));
  EXPECT_FALSE(statement_->open());
}

TEST_P(StatementTest, ExecutionErrorsCarryTheDriversTextWithoutPrefixes) {
  settings_.DebugLog = true;
  // Fails when the statement runs, for every driver.
  EXPECT_FALSE(Execute("SELECT abs(-9223372036854775808)"));
  ASSERT_TRUE(last_.driver_failure());
  EXPECT_EQ(last_.call(), "SQLExecute");
  EXPECT_EQ(last_.rc(), SQL_ERROR);
  const std::string text = last_.DriverText();
  EXPECT_NE(text.find("overflow"), std::string::npos) << text;
  EXPECT_NE(text.front(), ' ');
  EXPECT_FALSE(last_.diagnostic().sqlstate.empty());
  // The embedded driver's three prefixes are gone; a message with fewer
  // (the SQLite ODBC driver's "[SQLite]...") is kept whole.
  if (embedded()) {
    EXPECT_NE(text.front(), '[');
  }
  EXPECT_NE(LogText().find("SQL Error          " + text), std::string::npos);
  EXPECT_FALSE(statement_->open());
}

TEST_P(StatementTest, ADisconnectTakesTheStatementWithIt) {
  ASSERT_TRUE(Execute("SELECT n FROM vals"));
  ASSERT_TRUE(Fetch());
  connection_->Disconnect();
  // The handle went with the connection; it is not freed a second time.
  statement_->CloseStatement();
  EXPECT_FALSE(statement_->open());
  EXPECT_FALSE(Execute("SELECT 1"));
  EXPECT_EQ(last_.messages(), std::vector<std::string>{
                                  "There is no connection to the database."});
}

INSTANTIATE_TEST_SUITE_P(Drivers, StatementTest,
                         ::testing::Values(Backend::kEmbedded,
                                           Backend::kUnixOdbc),
                         [](const auto& info) {
                           return info.param == Backend::kEmbedded ? "Embedded"
                                                                   : "UnixOdbc";
                         });

class EmbeddedStatementTest : public StatementTest {};

TEST_P(EmbeddedStatementTest, DriverMessagesLoseTheirThreeBracketedPrefixes) {
  EXPECT_FALSE(Execute("SELECT * FROM nosuch"));
  EXPECT_EQ(last_.DriverText(),
            "Table nosuch does not exist in this database.");
  EXPECT_EQ(last_.diagnostic().sqlstate, "42S02");
}

TEST_P(EmbeddedStatementTest, DistributionColumnsGetA256ByteSlot) {
  ASSERT_TRUE(Execute(
      "SELECT T.OWNER, X.ENCDAT FROM SYSTABLES T LEFT JOIN SYSDISTRIB X "
      "ON X.TABID = T.TABID"));
  ASSERT_EQ(statement_->ColumnSlots().size(), 2u);
  EXPECT_EQ(statement_->ColumnSlots()[0].length, 32 + 16);
  EXPECT_EQ(statement_->ColumnSlots()[1].offset, 1 + 48);
  EXPECT_EQ(statement_->ColumnSlots()[1].length, 256 + 16);
}

TEST_P(EmbeddedStatementTest, StatementsWithoutColumnsFailAndAreClosed) {
  settings_.DebugLog = true;
  EXPECT_FALSE(Execute("BEGIN"));
  EXPECT_FALSE(last_.messages().empty());
  EXPECT_NE(LogText().find("SQL\r\nNo columns returned\r\n"),
            std::string::npos);
  EXPECT_FALSE(statement_->open());
  EXPECT_TRUE(Execute("SELECT 1"));
}

INSTANTIATE_TEST_SUITE_P(Drivers, EmbeddedStatementTest,
                         ::testing::Values(Backend::kEmbedded),
                         [](const auto&) { return "Embedded"; });

TEST(ResolveSqlMarkersTest, ResolvesForExecutionAndForTheLog) {
  EXPECT_EQ(ResolveSqlMarkers("~SELECT a~FROM t", true), "SELECT a FROM t");
  EXPECT_EQ(ResolveSqlMarkers("~SELECT a~FROM t", false), "SELECT a\r\nFROM t");
  EXPECT_EQ(ResolveSqlMarkers("~~x^y", false), "\r\nx\ty");
  EXPECT_EQ(ResolveSqlMarkers("~   x", true), "x");
  EXPECT_EQ(ResolveSqlMarkers("~SELECT 1~   FROM T~ORDER BY 1", false),
            "SELECT 1\r\n   FROM T\r\nORDER BY 1");
  EXPECT_EQ(ResolveSqlMarkers("", true), "");
}

TEST(ResolveSqlMarkersTest, LiteralsKeepTheirMarkers) {
  EXPECT_EQ(ResolveSqlMarkers("~A = 'x~y^z'~B", true), "A = 'x~y^z' B");
  EXPECT_EQ(ResolveSqlMarkers("A = 'it''s ~'~B", false), "A = 'it''s ~'\r\nB");
  EXPECT_EQ(ResolveSqlMarkers("A LIKE 'a~%'^~B = ''~C", true),
            "A LIKE 'a~%'  B = '' C");
}

TEST(CliLibraryTest, AMissingLibraryIsARuntimeFailure) {
  CliLibrary library("/nonexistent/libnothing.so");
  SQLHANDLE env = nullptr;
  EXPECT_EQ(library.AllocHandle(SQL_HANDLE_ENV, nullptr, &env), SQL_ERROR);
  EXPECT_NE(library.failure().find("libnothing.so"), std::string::npos);
  EXPECT_FALSE(library.TakeFailure().empty());
  EXPECT_TRUE(library.failure().empty());
}

TEST(CliLibraryTest, AMissingFunctionIsARuntimeFailure) {
  CliLibrary library("libc.so.6");  // loads, but exports no SQL function
  EXPECT_EQ(library.Fetch(nullptr), SQL_ERROR);
  EXPECT_NE(library.failure().find("SQLFetch"), std::string::npos);
  EXPECT_FALSE(library.Exports("SQLSetEnvAttr"));
}

}  // namespace
}  // namespace tce
