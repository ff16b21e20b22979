#include "dialect.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "sha256.h"

namespace tvcli {
namespace {

TEST(DialectTest, QualifiersBecomeSchemaNames) {
  EXPECT_EQ(
      TranslateStatement("SELECT OWNER FROM SYSMASTER:SYSTABLES", "sales"),
      "SELECT OWNER FROM SYSMASTER.SYSTABLES");
  EXPECT_EQ(TranslateStatement("SELECT * FROM Sales:systables", "sales"),
            "SELECT * FROM main.systables");
  // Not inside literals, quoted identifiers or comments; not a parameter.
  EXPECT_EQ(TranslateStatement("SELECT 'a:b', \"x:y\" -- c:d", "s"),
            "SELECT 'a:b', \"x:y\" -- c:d");
  EXPECT_EQ(TranslateStatement("SELECT :name", "s"), "SELECT :name");
}

TEST(DialectTest, DivisionIsExact) {
  EXPECT_EQ(TranslateStatement("SELECT 4096/8192", "s"),
            "SELECT 4096*1.0/8192");
  EXPECT_EQ(TranslateStatement("SELECT 'a/b' /* x/y */, 1/2", "s"),
            "SELECT 'a/b' /* x/y */, 1*1.0/2");
  EXPECT_EQ(TranslateStatement("SELECT 'it''s/' , 3/4", "s"),
            "SELECT 'it''s/' , 3*1.0/4");
  // An unterminated literal or comment is copied as it is.
  EXPECT_EQ(TranslateStatement("SELECT 'a/b", "s"), "SELECT 'a/b");
  EXPECT_EQ(TranslateStatement("SELECT /* a/b", "s"), "SELECT /* a/b");
}

// A long list of names becomes IN lists and nested groups; anything else
// stays as written.
TEST(DialectTest, LongNameListsNestShallowly) {
  std::string list;
  for (int i = 0; i < 100; ++i) {
    if (i > 0) list += "   OR  ";
    list += i % 10 == 0 ? "T.NAME LIKE 'p" + std::to_string(i) + "%'"
                        : "T.NAME = 'n''" + std::to_string(i) + "'";
  }
  const std::string sql = "SELECT 1 WHERE (" + list + ") AND x = 1";
  const std::string balanced = BalanceLongOrChains(sql);
  EXPECT_NE(balanced.find("T.NAME IN ('n''1', 'n''2', "), std::string::npos);
  EXPECT_NE(balanced.find("T.NAME LIKE 'p90%'"), std::string::npos);
  EXPECT_EQ(balanced.find("T.NAME = "), std::string::npos);
  EXPECT_EQ(balanced.substr(balanced.size() - 11), ") AND x = 1");
  // Short lists, and lists of anything but simple comparisons, stay.
  const std::string short_list = "SELECT 1 WHERE (a = 'x' OR a = 'y')";
  EXPECT_EQ(BalanceLongOrChains(short_list), short_list);
  std::string mixed = "SELECT 1 WHERE (" + list + " OR f(x) = 1)";
  EXPECT_EQ(BalanceLongOrChains(mixed), mixed);
  std::string words = "SELECT 'OR (' WHERE (" + list + " OR b = 'OR')";
  EXPECT_NE(BalanceLongOrChains(words).find("b IN ('OR')"), std::string::npos);
}

// Long lists on both columns of an index (owners and tables) are tested
// row by row, not multiplied into a probe of the index for every pair.
TEST(DialectTest, TwoLongListsCostTheirSumNotTheirProduct) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "CREATE TABLE t (owner TEXT, name TEXT);"
                         "CREATE UNIQUE INDEX t_name ON t (owner, name);"
                         "INSERT INTO t VALUES ('o7', 'n7'), ('o7', 'x'), "
                         "('p', 'n7');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  std::string owners, names;
  for (int i = 0; i < 1000; ++i) {
    owners +=
        (i > 0 ? " OR owner = 'o" : "owner = 'o") + std::to_string(i) + "'";
    names += (i > 0 ? " OR name = 'n" : "name = 'n") + std::to_string(i) + "'";
  }
  const std::string sql = BalanceLongOrChains("SELECT owner FROM t WHERE (" +
                                              owners + ") AND (" + names + ")");
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db);
  int rows = 0;
  while (sqlite3_step(stmt) == SQLITE_ROW) ++rows;
  EXPECT_EQ(rows, 1);
  // A thousand names each: a million pairs, against a few thousand steps
  // to read the names and the rows.
  EXPECT_LT(sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_VM_STEP, 0), 100000);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

TEST(Sha256Test, MatchesKnownDigests) {
  EXPECT_EQ(Sha256Hex(""),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex(std::string(1000, 'a')).size(), 64u);
}

}  // namespace
}  // namespace tvcli
