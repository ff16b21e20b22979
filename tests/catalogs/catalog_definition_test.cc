#include "catalog_definition.h"
#include "server_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace tce::catalogs {
namespace {

std::pair<int, int> Type(const std::string& text) {
  int code = -1, length = -1;
  EXPECT_TRUE(ParseColumnType(text, &code, &length)) << text;
  return {code, length};
}

TEST(ParseColumnTypeTest, SpellsTypesAsTheCatalogStoresThem) {
  EXPECT_EQ(Type("char(10)"), std::make_pair(0, 10));
  EXPECT_EQ(Type("SERIAL"), std::make_pair(6, 4));
  EXPECT_EQ(Type("varchar(100,10)"), std::make_pair(13, 2660));
  EXPECT_EQ(Type("varchar(255,128)"), std::make_pair(13, -32513));
  EXPECT_EQ(Type("decimal(16,2)"), std::make_pair(5, 4098));
  EXPECT_EQ(Type("money(8)"), std::make_pair(8, 8 * 256 + 2));
  EXPECT_EQ(Type("lvarchar"), std::make_pair(40, 2048));
  EXPECT_EQ(Type("datetime year to second"), std::make_pair(10, 3594));
  EXPECT_EQ(Type("datetime hour to fraction(3)"),
            std::make_pair(10, 9 * 256 + 6 * 16 + 13));
  EXPECT_EQ(Type("interval day(3) to hour"),
            std::make_pair(14, 5 * 256 + 4 * 16 + 6));
  EXPECT_EQ(Type("set(60)"), std::make_pair(19, 60));
  EXPECT_EQ(Type("row(64)"), std::make_pair(22, 64));
  EXPECT_EQ(Type("code(99,24)"), std::make_pair(99, 24));
  int code, length;
  for (const char* bad :
       {"", "varchar(", "char(x)", "datetime second to year", "datetime year",
        "blob", "integer(4)", "char(4) extra"}) {
    EXPECT_FALSE(ParseColumnType(bad, &code, &length)) << bad;
  }
}

TEST(ParseServerDefinitionTest, ReadsServersDatabasesTablesAndColumns) {
  ServerDefinition server;
  std::string error;
  ASSERT_TRUE(ParseServerDefinition(
      "# demo\nserver 9.40 pagesize 2048\ndatabase shop\nuser al pw\n"
      "table ops.orders pages 10 rows 500 pagesize 4096\n"
      "  id serial not null distinct 500\n  note varchar(40)\n"
      "  qty integer sampled 100 40 7   # a sampled column\n",
      &server, &error))
      << error;
  EXPECT_EQ(server.version, "9.40");
  ASSERT_EQ(server.databases.size(), 1u);
  const TableDefinition& table = server.databases[0].tables.at(0);
  EXPECT_EQ(table.owner, "ops");
  EXPECT_EQ(table.page_size, 4096);
  ASSERT_EQ(table.columns.size(), 3u);
  EXPECT_EQ(table.columns[0].type_code, 6 + 256);
  EXPECT_EQ(table.columns[0].distribution, "TVD1;s=500;d=500;f1=50");
  EXPECT_EQ(table.columns[1].distribution, "");
  EXPECT_EQ(table.columns[2].distribution, "TVD1;s=100;d=40;f1=7");
}

TEST(ParseServerDefinitionTest, NamesTheLineOfAnError) {
  ServerDefinition server;
  std::string error;
  EXPECT_FALSE(
      ParseServerDefinition("database d\ntable t pages 1\n", &server, &error));
  EXPECT_EQ(error.rfind("line 2:", 0), 0u) << error;
  EXPECT_FALSE(ParseServerDefinition("  col integer\n", &server, &error));
  server = ServerDefinition{};
  EXPECT_FALSE(ParseServerDefinition(
      "database d\ntable o.t rows 5\n  c integer sampled 10 20 1\n", &server,
      &error));
  EXPECT_EQ(error.rfind("line 3:", 0), 0u) << error;
}

TEST(ParseServerDefinitionTest, RefusesNumbersOutOfRangeWithTheLine) {
  for (const char* type :
       {"decimal(99999999)", "varchar(1,99999999)", "varchar(300)",
        "char(70000)", "datetime year(2147483647) to second",
        "interval day to fraction(2147483647)", "code(1,99999999999999999999)",
        "set(-99999)"}) {
    ServerDefinition server;
    std::string error;
    EXPECT_FALSE(ParseServerDefinition(
        std::string("database d\ntable o.t rows 5\n  c ") + type + "\n",
        &server, &error))
        << type;
    EXPECT_EQ(error.rfind("line 3:", 0), 0u) << error;
  }
  ServerDefinition server;
  std::string error;
  EXPECT_FALSE(ParseServerDefinition(
      "database d\ntable o.t rows 99999999999999999999\n", &server, &error));
  EXPECT_EQ(error.rfind("line 2:", 0), 0u) << error;
  EXPECT_FALSE(ParseServerDefinition("server 9.40 pagesize 9999999999\n",
                                     &server, &error));
  EXPECT_EQ(error.rfind("line 1:", 0), 0u) << error;
  // The largest that still fit are taken.
  int code = 0, length = 0;
  EXPECT_TRUE(ParseColumnType("varchar(255,255)", &code, &length));
  EXPECT_EQ(length, -1);
  EXPECT_TRUE(ParseColumnType("char(32767)", &code, &length));
  EXPECT_EQ(length, 32767);
}

// A database's name becomes a file of the server: only a plain name is
// taken, never the server's own system database, never twice.
TEST(ParseServerDefinitionTest, DatabaseNamesAreNamesOnly) {
  for (const char* line :
       {"database ../victim/precious", "database /etc/x", "database a.b",
        "database 9lives", "database sysmaster", "database SysMaster"}) {
    ServerDefinition server;
    std::string error;
    EXPECT_FALSE(ParseServerDefinition(std::string("# c\n") + line + "\n",
                                       &server, &error))
        << line;
    EXPECT_EQ(error.rfind("line 2:", 0), 0u) << error;
  }
  ServerDefinition server;
  std::string error;
  EXPECT_FALSE(ParseServerDefinition("database d\ndatabase D\n", &server,
                                     &error));
  EXPECT_EQ(error, "line 2: database D is defined twice");
  ServerDefinition fine;
  EXPECT_TRUE(ParseServerDefinition(
      "database " + std::string(128, 'a') + "\ndatabase b_2\n", &fine,
      &error));
}

// The server is built beside its folder and put in place whole: a build
// that fails leaves the folder as it was and nothing else behind.
TEST(WriteServerTest, AFailedBuildLeavesTheServerAsItWas) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() /
                       ("tce-write-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  ServerDefinition server;
  std::string error;
  ASSERT_TRUE(ParseServerDefinition("database a\ntable o.t rows 5\n  c int\n",
                                    &server, &error));
  ASSERT_EQ(WriteServer(server, (dir / "srv").string(), {}, &error),
            WriteStatus::kBuilt)
      << error;
  EXPECT_TRUE(fs::exists(dir / "srv" / "a.db"));
  // A database file that cannot be written fails the build.
  server.databases[0].tables[0].columns[0].name = "c";
  server.databases.push_back({"b", {}, {}});
  server.databases[1].tables.push_back(server.databases[0].tables[0]);
  server.databases[1].tables.push_back(server.databases[0].tables[0]);
  server.databases[1].tables[1].owner = "o";  // the same table twice
  EXPECT_EQ(WriteServer(server, (dir / "srv").string(), {}, &error),
            WriteStatus::kFailed);
  EXPECT_TRUE(fs::exists(dir / "srv" / "a.db"));
  EXPECT_FALSE(fs::exists(dir / "srv" / "b.db"));
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++entries;
  EXPECT_EQ(entries, 1u) << error;
  fs::remove_all(dir);
}

}  // namespace
}  // namespace tce::catalogs
