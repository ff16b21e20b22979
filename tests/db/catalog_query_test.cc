#include "db/catalog_query.h"

#include <gtest/gtest.h>

#include "db/statement.h"

namespace tce {
namespace {

// The query as it is executed, for readable expectations.
std::string Executed(const std::string& sql) {
  return ResolveSqlMarkers(sql, true);
}

TEST(BuildFilterClauseTest, PatternsComeBeforeNames) {
  EXPECT_EQ(BuildFilterClause("T.OWNER", "sales,ac%"),
            "~    (  ~      T.OWNER LIKE 'ac%' ~      OR ~      T.OWNER = "
            "'sales' ~    ) ");
  EXPECT_EQ(BuildFilterClause("T.TABNAME", "a%,b%"),
            "~    (  ~      T.TABNAME LIKE 'a%' ~      OR  ~      T.TABNAME "
            "LIKE 'b%' ~    ) ");
  EXPECT_EQ(BuildFilterClause("T.TABNAME", " x , y "),
            "~    (  ~      T.TABNAME = 'x' ~      OR  ~      T.TABNAME = 'y' "
            "~    ) ");
  EXPECT_EQ(BuildFilterClause("T.OWNER", ""), "");
}

TEST(BuildFilterClauseTest, QuotesBecomeBlanksAndMakeTheItemExact) {
  EXPECT_EQ(BuildFilterClause("T.OWNER", "\"ab%\""),
            "~    (  ~      T.OWNER = 'ab%' ~    ) ");
  EXPECT_EQ(BuildFilterClause("T.OWNER", "o'brien"),
            "~    (  ~      T.OWNER = 'o brien' ~    ) ");
  // No quote survives to close the literal early.
  const std::string hostile = BuildFilterClause("T.OWNER", "x' OR '1'='1");
  EXPECT_EQ(hostile, "~    (  ~      T.OWNER = 'x  OR  1 = 1' ~    ) ");
}

TEST(BuildFilterClauseTest, EmptyItemsCompareWithAnEmptyName) {
  EXPECT_EQ(
      BuildFilterClause("T.OWNER", "a,,b"),
      "~    (  ~      T.OWNER = 'a' ~      OR  ~      T.OWNER = '' ~      OR  "
      "~      T.OWNER = 'b' ~    ) ");
}

TEST(BuildCatalogQueryTest, DefaultQuery) {
  RunSettings settings;
  EXPECT_EQ(
      BuildCatalogQuery("", "", "T.PAGESIZE", settings),
      "~SELECT T.OWNER, T.TABNAME, T.NPUSED, T.NROWS, C.COLNAME, C.COLTYPE, "
      "~       C.COLLENGTH, X.ENCDAT, T.PAGESIZE ~    FROM SYSTABLES T INNER "
      "JOIN "
      "SYSCOLUMNS C~      ON C.TABID = T.TABID AND T.TABTYPE = 'T' "
      "~    LEFT OUTER JOIN SYSDISTRIB X~      ON X.TABID = T.TABID AND "
      "~         X.COLNO = C.COLNO AND ~         X.SEQNO = 1 "
      "~ORDER BY T.OWNER, T.TABNAME");
}

TEST(BuildCatalogQueryTest, SizeStatisticsAndFilterClauses) {
  RunSettings settings;
  settings.MinTableSizeMB = 2;
  settings.IgnoreTablesWithoutStats = true;
  const std::string sql =
      Executed(BuildCatalogQuery("OWN", "TAB", "2048", settings));
  EXPECT_NE(
      sql.find(
          "T.TABTYPE = 'T'      AND (T.NPUSED >=  512 * (4096/2048))  "
          "     AND (T.NROWS > 0)      AND OWN     AND TAB     LEFT OUTER"),
      std::string::npos)
      << sql;
  EXPECT_NE(sql.find("X.ENCDAT, 2048      FROM"), std::string::npos);
  settings.MinTableSizeMB = 0;
  settings.IgnoreTablesWithoutStats = false;
  EXPECT_NE(Executed(BuildCatalogQuery("", "TAB", "T.PAGESIZE", settings))
                .find("'T'      AND TAB     LEFT"),
            std::string::npos);
  EXPECT_NE(Executed(BuildCatalogQuery("OWN", "", "T.PAGESIZE", settings))
                .find("'T'      AND OWN     LEFT"),
            std::string::npos);
}

// No probe chose a page-size expression: the user is told to connect
// again, and nothing half-built is sent to the server.
TEST(BuildCatalogQueryTest, WithoutAPageSizeThereIsNoQueryButAMessage) {
  RunSettings settings;
  settings.MinTableSizeMB = 1;
  std::string query = "stale";
  const Status status = CatalogQueryFor("", "", "", settings, query);
  EXPECT_FALSE(status.ok());
  EXPECT_TRUE(query.empty());
  ASSERT_EQ(status.messages().size(), 1u);
  EXPECT_EQ(status.messages()[0],
            "The server's page size is not known, so no estimate can be made. "
            "Connect again.");
  EXPECT_TRUE(CatalogQueryFor("T.PAGESIZE", "", "", settings, query).ok());
  EXPECT_EQ(query, BuildCatalogQuery("", "", "T.PAGESIZE", settings));
}

}  // namespace
}  // namespace tce
