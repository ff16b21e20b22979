#include "db/connection.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "db/catalog_query.h"
#include "db/server_probe.h"
#include "db/statement.h"
#include "support/test_server.h"

namespace tce {
namespace {

using ::tce::testing::ReadFileBytes;
using ::tce::testing::TempDir;
using ::tce::testing::TestServer;

// Runs SQL directly on a catalog file, to break it on purpose.
void Sqlite(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
      << sql;
  sqlite3_close(db);
}

class ConnectionTest : public ::testing::Test {
 protected:
  explicit ConnectionTest(const std::string& library = "")
      : library_(library) {}

  void Build(TestServer& server, const std::string& name = "sales") {
    auto& db = server.Database(name);
    const int t = db.AddTable("acct", "orders", 120, 5000, 4096);
    db.AddColumn(t, "id", 6, 4);
    db.AddUser("alice", "right");
    db.AddUser("bob", "a;b}c");
    db.AddUser("carol", "");
    server.Finish();
  }
  std::string Path(const TestServer& server) {
    return server.DatabasePath("sales");
  }
  std::string LogText() { return ReadFileBytes(log_.path()); }
  // Connects; the status's whole text when it failed.
  Status Connect(const std::string& database, const std::string& user,
                 const std::string& password) {
    return connection_.Connect(database, user, password, nullptr);
  }

  TempDir log_dir_;
  RunSettings settings_;
  DebugLog log_{log_dir_.File("t.dbg")};
  Logger logger_{settings_, log_};
  CliLibrary library_;
  Connection connection_{library_, logger_};
};

TEST_F(ConnectionTest, ConnectsReadsBackAndProbes) {
  TestServer server("11.70", 2048);
  Build(server);
  settings_.DebugLog = true;
  const Status status = Connect(Path(server), "alice", "right");
  ASSERT_TRUE(status.ok()) << status.ToString();
  EXPECT_TRUE(connection_.ConnectionOpen());
  EXPECT_EQ(connection_.DatabaseName, Path(server));
  EXPECT_EQ(connection_.UserName, "alice");
  EXPECT_EQ(connection_.UserPassword, "right");
  EXPECT_EQ(connection_.PageSizeExpression, "T.PAGESIZE");
  const std::string c = "TarvexConnect      ";
  const std::string p = "PAGESIZE           ";
  const std::string sent =
      "DATABASE=" + Path(server) + ";UID=alice;PWD=********;";
  EXPECT_EQ(LogText(), c + "Allocating Database Environment\r\n" + c +
                           "Allocating Database Connection\r\n" + c +
                           "Connect String=" + sent + "\r\n" + c + sent +
                           "\r\n" + c + "Database=" + Path(server) +
                           " Userid=alice Password=********\r\n" + p +
                           "Version=11.70\r\n" + p + "PAGESIZE=T.PAGESIZE\r\n");
  EXPECT_EQ(LogText().find("right"), std::string::npos);  // never in clear
  connection_.Disconnect();
  EXPECT_FALSE(connection_.ConnectionOpen());
}

TEST_F(ConnectionTest, ThePasswordNeverReachesTheLogWhateverTheOtherFields) {
  TestServer server;
  Build(server);
  // A database path that holds "PWD=" itself.
  TempDir links;
  const std::string folder = links.File("PWD=decoy");
  std::filesystem::create_directory_symlink(server.dir().path(), folder);
  settings_.DebugLog = true;
  ASSERT_TRUE(Connect(folder + "/sales.db", "alice", "right").ok());
  EXPECT_EQ(LogText().find("right"), std::string::npos) << LogText();
  EXPECT_NE(LogText().find("PWD=decoy"), std::string::npos);
  EXPECT_FALSE(Connect(folder + "/sales.db", "alice", "S3cr3t-PW").ok());
  EXPECT_EQ(LogText().find("S3cr3t-PW"), std::string::npos) << LogText();
}

TEST_F(ConnectionTest, PasswordsWithSeparatorsAndEmptyPasswordsWork) {
  TestServer server;
  Build(server);
  ASSERT_TRUE(Connect(Path(server), "bob", "a;b}c").ok());
  EXPECT_EQ(connection_.UserPassword, "a;b}c");
  // A second connect releases the first.
  ASSERT_TRUE(Connect(Path(server), "carol", "").ok());
  EXPECT_EQ(connection_.UserPassword, "");
}

TEST_F(ConnectionTest, AWrongPasswordFailsWithTheDriversMessage) {
  TestServer server;
  Build(server);
  settings_.DebugLog = true;
  const Status status = Connect(Path(server), "alice", "Wr0ngPass");
  ASSERT_FALSE(status.ok());
  EXPECT_FALSE(connection_.ConnectionOpen());
  EXPECT_EQ(connection_.connection_handle(), nullptr);  // freed
  EXPECT_EQ(connection_.environment_handle(), nullptr);
  EXPECT_EQ(status.call(), "SQLDriverConnect");
  EXPECT_EQ(status.diagnostic().sqlstate, "28000");
  EXPECT_EQ(status.DriverText(),
            "Login refused for user alice: unknown user or wrong password.");
  // The driver gave back no connection string, and the probe has no
  // connection to ask: nothing more is said.
  EXPECT_TRUE(status.messages().empty());
  EXPECT_EQ(connection_.PageSizeExpression, "");
  EXPECT_NE(LogText().find("Connect RC=-1Connect String="), std::string::npos);
  EXPECT_EQ(LogText().find("SMIVERSION"), std::string::npos);
  EXPECT_EQ(LogText().find("Wr0ngPass"), std::string::npos);
  // The next attempt starts afresh.
  EXPECT_TRUE(Connect(Path(server), "alice", "right").ok());
}

TEST_F(ConnectionTest, OldServersUseTheServerWidePageSize) {
  for (const char* version : {"9.40", "7.31"}) {
    TestServer server(version, 2048);
    Build(server);
    ASSERT_TRUE(Connect(Path(server), "alice", "right").ok());
    EXPECT_EQ(connection_.PageSizeExpression, "2048") << version;
    connection_.Disconnect();
  }
  // Blanks around the version still match, after the fetch trims them.
  TestServer padded(" 9.40 ", 4096);
  Build(padded);
  ASSERT_TRUE(Connect(Path(padded), "alice", "right").ok());
  EXPECT_EQ(connection_.PageSizeExpression, "4096");
  connection_.Disconnect();
  // Any other version uses the catalog column without a second query.
  TestServer later("9.50", 4096);
  Build(later);
  settings_.LogSQL = true;
  ASSERT_TRUE(Connect(Path(later), "alice", "right").ok());
  EXPECT_EQ(connection_.PageSizeExpression, "T.PAGESIZE");
  EXPECT_EQ(LogText().find("SH_PAGESIZE"), std::string::npos);
}

TEST_F(ConnectionTest, AFailedProbeFailsTheConnection) {
  struct Case {
    const char* version;
    const char* breakage;
    const char* message;
  };
  for (const Case& c :
       {Case{"11.70", "DELETE FROM systables",
             "Unable to get SMIVERSION from SYSMASTER:SYSTABLES table"},
        Case{"11.70", "DROP TABLE systables",
             "Unable to get SMIVERSION from SYSMASTER:SYSTABLES table"},
        Case{"9.40", "DROP TABLE sysshmvals",
             "Unable to get SH_PAGESIZE from SYSMASTER:SYSHVALS table"},
        Case{"9.40", "DELETE FROM sysshmvals",
             "Unable to get SH_PAGESIZE from SYSMASTER:SYSHMVALS table"}}) {
    TestServer server(c.version, 2048);
    Build(server);
    Sqlite(server.dir().File("sysmaster.db"), c.breakage);
    const Status status = Connect(Path(server), "alice", "right");
    ASSERT_FALSE(status.ok()) << c.breakage;
    EXPECT_FALSE(connection_.ConnectionOpen());
    EXPECT_EQ(connection_.PageSizeExpression, "");
    ASSERT_FALSE(status.messages().empty());
    EXPECT_EQ(status.messages().back(), c.message) << c.breakage;
  }
}

TEST_F(ConnectionTest, APageSizeMustBeAPositiveWholeNumber) {
  for (const char* value : {"(SELECT 4096)", "abc", "0", "-2048", "2048.5", "",
                            "99999999999", "4096 OR 1=1"}) {
    TestServer server("9.40", 2048);
    Build(server);
    Sqlite(server.dir().File("sysmaster.db"),
           std::string("UPDATE sysshmvals SET sh_pagesize = '") + value + "'");
    const Status status = Connect(Path(server), "alice", "right");
    ASSERT_FALSE(status.ok()) << value;
    EXPECT_FALSE(connection_.ConnectionOpen());
    ASSERT_EQ(status.messages().size(), 1u);
    EXPECT_NE(status.messages()[0].find(std::string("\"") + value + "\""),
              std::string::npos)
        << status.messages()[0];
  }
  TestServer server("9.40", 2048);
  Build(server);
  Sqlite(server.dir().File("sysmaster.db"),
         "UPDATE sysshmvals SET sh_pagesize = '  04096 '");
  ASSERT_TRUE(Connect(Path(server), "alice", "right").ok());
  EXPECT_EQ(connection_.PageSizeExpression, "4096");
}

TEST_F(ConnectionTest, AServerWhoseSystemMasterCannotBeAttachedIsRefused) {
  for (const char* breakage : {"missing", "not a database", "a folder"}) {
    TestServer server;
    Build(server);
    const std::string sysmaster = server.dir().File("sysmaster.db");
    std::filesystem::remove(sysmaster);
    if (std::string(breakage) == "not a database") {
      ::tce::testing::WriteFileBytes(sysmaster, std::string(4096, 'x'));
    } else if (std::string(breakage) == "a folder") {
      std::filesystem::create_directory(sysmaster);
    }
    const Status status = Connect(Path(server), "alice", "right");
    ASSERT_FALSE(status.ok()) << breakage;
    EXPECT_FALSE(connection_.ConnectionOpen());
    // The driver says so at connect time, naming the file.
    EXPECT_EQ(status.call(), "SQLDriverConnect") << breakage;
    EXPECT_EQ(status.diagnostic().sqlstate, "08001");
    EXPECT_NE(status.DriverText().find(sysmaster + " cannot be used"),
              std::string::npos)
        << status.DriverText();
  }
}

TEST_F(ConnectionTest, DatabaseNamesComeBackInTheServersSpelling) {
  const Status status = Connect("DEMO", "", "");
  ASSERT_TRUE(status.ok()) << status.ToString();
  EXPECT_EQ(connection_.DatabaseName, "demo");
  EXPECT_EQ(connection_.PageSizeExpression, "T.PAGESIZE");
}

TEST_F(ConnectionTest, HostileFieldsNeverReachAnotherDatabase) {
  TestServer server;
  Build(server);
  for (const std::string& database :
       {"nosuch;DATABASE=" + Path(server), "{" + Path(server) + "}",
        Path(server) + "'", std::string(5000, 'x'), std::string("d\xe9mo\xff"),
        std::string("="), std::string("")}) {
    const Status status = Connect(database, "alice", "right");
    EXPECT_FALSE(status.ok()) << database;
    EXPECT_FALSE(connection_.ConnectionOpen());
    EXPECT_FALSE(status.DriverText().empty());
  }
  // Odd user names and passwords are refused by the catalog's users, not
  // misread as other keys.
  for (const std::string& user :
       {std::string("alice;UID=bob"), std::string("alice}"),
        std::string(3000, 'u'), std::string("\x01\x02")}) {
    EXPECT_FALSE(Connect(Path(server), user, "right").ok()) << user;
  }
  EXPECT_FALSE(Connect(Path(server), "alice", "right;PWD=x").ok());
}

TEST_F(ConnectionTest, DisconnectWithoutAConnectionCallsNothing) {
  CliLibrary missing("/nonexistent/libnothing.so");
  Connection connection(missing, logger_);
  connection.Disconnect();
  EXPECT_TRUE(missing.failure().empty());  // no call was even tried
}

TEST_F(ConnectionTest, AMissingDriverLibraryIsAnAllocationError) {
  CliLibrary missing("/nonexistent/libnothing.so");
  Connection connection(missing, logger_);
  const Status status = connection.Connect("demo", "", "", nullptr);
  ASSERT_FALSE(status.ok());
  EXPECT_FALSE(status.driver_failure());
  ASSERT_FALSE(status.messages().empty());
  EXPECT_EQ(status.messages()[0].rfind(
                "Allocation Error: /nonexistent/libnothing.so", 0),
            0u)
      << status.messages()[0];
}

TEST(StatusTest, SaysWhichCallFailedAndWhy) {
  EXPECT_TRUE(Status().ok());
  Status failure = Status::DriverFailure("SQLExecute", SQL_ERROR,
                                         {"42S02", 7, "Table x is missing."});
  failure.AddMessage("Error retrieving records");
  EXPECT_FALSE(failure.ok());
  EXPECT_TRUE(failure.driver_failure());
  EXPECT_EQ(failure.ToString(),
            "SQLExecute returned SQL_ERROR (SQLSTATE 42S02, native 7): Table x "
            "is missing.; Error retrieving records");
  // A driver that says nothing still gets a message that names the call.
  const Status silent =
      Status::DriverFailure("SQLFetch", SQL_INVALID_HANDLE, {});
  EXPECT_EQ(silent.DriverText(),
            "The driver's SQLFetch returned SQL_INVALID_HANDLE without saying "
            "why.");
  const Status own = Status::Failure("Row too large to return");
  EXPECT_FALSE(own.driver_failure());
  EXPECT_EQ(own.DriverText(), "");
  EXPECT_EQ(own.ToString(), "Row too large to return");
  EXPECT_TRUE(Succeeded(SQL_SUCCESS_WITH_INFO));
  EXPECT_FALSE(Succeeded(SQL_NO_DATA));
  EXPECT_FALSE(Succeeded(SQL_INVALID_HANDLE));
}

// The catalog query on the demo servers, through the embedded driver.
class CatalogQueryRunTest : public ConnectionTest {
 protected:
  std::vector<std::vector<std::string>> Rows(
      const std::string& owner_clause = "",
      const std::string& table_clause = "") {
    Statement statement(connection_);
    EXPECT_TRUE(statement
                    .ExecuteStatement(BuildCatalogQuery(
                        owner_clause, table_clause,
                        connection_.PageSizeExpression, settings_))
                    .ok());
    std::vector<std::vector<std::string>> rows;
    bool has_row = false;
    while (statement.FetchRow(has_row).ok() && has_row) {
      std::vector<std::string> row;
      for (int c = 1; c <= 9; ++c) row.push_back(statement.StatementResult(c));
      rows.push_back(row);
    }
    return rows;
  }
};

TEST_F(CatalogQueryRunTest, OneRowPerColumnOrderedByOwnerAndTable) {
  ASSERT_TRUE(Connect("demo", "", "").ok());
  const auto rows = Rows();
  EXPECT_EQ(rows.size(), 418u);  // every column of the demo catalog
  for (size_t i = 1; i < rows.size(); ++i) {
    const auto before = std::make_pair(rows[i - 1][0], rows[i - 1][1]);
    const auto now = std::make_pair(rows[i][0], rows[i][1]);
    ASSERT_LE(before, now) << i;  // byte order: "Audit" before "etl"
  }
  EXPECT_EQ(rows.front()[0], "Audit");
  // Distributions arrive; columns without one arrive empty.
  int with = 0;
  for (const auto& row : rows) with += !row[7].empty();
  EXPECT_GT(with, 300);
  EXPECT_LT(with, 418);
}

TEST_F(CatalogQueryRunTest, FiltersAndSettingsNarrowTheResult) {
  ASSERT_TRUE(Connect("demo", "", "").ok());
  auto rows = Rows(BuildFilterClause("T.OWNER", "hr"),
                   BuildFilterClause("T.TABNAME", "pay%,job"));
  std::set<std::string> tables;
  for (const auto& row : rows) tables.insert(row[1]);
  EXPECT_EQ(tables, (std::set<std::string>{"job", "payroll_run", "payslip"}));
  // LIKE compares case: "audit%" does not find the owner "Audit".
  EXPECT_TRUE(Rows(BuildFilterClause("T.OWNER", "audit%")).empty());
  settings_.IgnoreTablesWithoutStats = true;
  for (const auto& row : Rows()) EXPECT_GT(std::stoll(row[3]), 0);
  settings_.IgnoreTablesWithoutStats = false;
  // 100 MB: pages >= 25600 * (4096 / page size), exact division.
  settings_.MinTableSizeMB = 100;
  for (const auto& row : Rows()) {
    EXPECT_GE(std::stod(row[2]), 25600.0 * 4096 / std::stod(row[8])) << row[1];
  }
}

TEST_F(CatalogQueryRunTest, OldServerReturnsItsConstantPageSize) {
  ASSERT_TRUE(Connect(testing::EmbeddedDriverPath().substr(
                          0, testing::EmbeddedDriverPath().rfind('/')) +
                          "/tvserver-940/stores.db",
                      "", "")
                  .ok());
  EXPECT_EQ(connection_.PageSizeExpression, "2048");
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 30u);
  for (const auto& row : rows) EXPECT_EQ(row[8], "2048");
}

}  // namespace
}  // namespace tce
