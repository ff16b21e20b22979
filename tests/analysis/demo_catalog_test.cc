// The whole run on the demo catalog, through the embedded driver. For a few
// tables of different kinds the expected grid rows are worked out by hand
// from the tables' catalog rows (shown in the comments) and the published
// statistics entries.
#include <gtest/gtest.h>

#include "model/figures.h"
#include <sqlite3.h>

#include <map>
#include <string>
#include <vector>

#include "support/app_fixture.h"
#include "support/test_server.h"

namespace tce {
namespace {

using ::tce::testing::AppFixture;
using ::tce::testing::Row;

struct Mode {
  bool max_cardinality;
  bool page_compression;
};

class DemoCatalogTest : public ::testing::TestWithParam<Mode>,
                        public AppFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Connect("demo").ok());
    app.settings.UseMaxCardinality = GetParam().max_cardinality;
    app.settings.EstimatePageCompression = GetParam().page_compression;
    result_ = RunEstimate();
    ASSERT_EQ(result_.outcome, RunOutcome::kListed);
  }
  // The grid row of owner.table.
  Row Find(const std::string& owner, const std::string& table) const {
    for (const TableRecord& listed : ListedTables(*result_.record)) {
      if (listed.owner == owner && listed.table == table)
        return Cells(listed, result_.record->shown());
    }
    return {};
  }
  // Picks the expected value of this mode: max/page, max/row, column/page,
  // column/row.
  std::string Pick(const char* mp, const char* mr, const char* cp,
                   const char* cr) const {
    const Mode m = GetParam();
    return m.max_cardinality ? (m.page_compression ? mp : mr)
                             : (m.page_compression ? cp : cr);
  }

  RunResult result_;
};

TEST_P(DemoCatalogTest, ListsEveryTableInOwnerAndTableOrder) {
  const std::vector<TableRecord>& tables = ListedTables(*result_.record);
  ASSERT_EQ(tables.size(), 64u);
  EXPECT_EQ(tables[0].owner, "Audit");
  for (size_t i = 1; i < tables.size(); ++i) {
    EXPECT_LT(std::make_pair(tables[i - 1].owner, tables[i - 1].table),
              std::make_pair(tables[i].owner, tables[i].table));
  }
  EXPECT_TRUE(result_.record->complete);
}

// inventory.uom_conversion, 1 page, 7 rows, page size 2048: from_unit
// CHAR(3) and to_unit CHAR(3) (class 1), factor FLOAT. Row length 14.
// Max: CHAR [n=2][s=3] = 12/25, so 3 bytes each at 88 % or 75 %, FLOAT in
// full: 13.28 or 12.5 bytes, 5.1429 % or 10.7143 %. Per column: CHAR
// [1][3] = 0/0: 0 %. One page less a small saving floors to 0 pages: 1.
TEST_P(DemoCatalogTest, OnlyFixedLengthColumns) {
  EXPECT_EQ(Find("inventory", "uom_conversion"),
            (Row{"inventory", "uom_conversion", " 7", " 1", " 1",
                 Pick(" 5", " 10", " 0", " 0"), " 2048"}));
}

// finance.currency, 1 page, 6 rows, page size 2048: currency_code CHAR(3),
// name VARCHAR(30), decimals SMALLINT (2 distinct). Fixed part 5. The page
// estimate (2048 * 0.5 - 28 - 6 * 9) / 6 = 157 bytes exceeds the declared
// 30, so the variable part stays 30: row length 35. CHAR [1][3] and
// SMALLINT [1][2][1] save nothing; the variable part, s = 15, n = 1, saves
// VARCHAR [1][15] = 51/55: 5 + 49 % or 45 % of 30 = 19.7 or 18.5 bytes,
// 43.7143 % or 47.1429 %, in both cardinality modes.
TEST_P(DemoCatalogTest, VariableLengthColumns) {
  EXPECT_EQ(Find("finance", "currency"),
            (Row{"finance", "currency", " 6", " 1", " 1",
                 Pick(" 43", " 47", " 43", " 47"), " 2048"}));
}

// sales.quote, 0 rows (no statistics), page size 4096: quote_id SERIAL,
// customer_id INTEGER, valid_until DATE, amount MONEY(12,2) (7 bytes),
// terms LVARCHAR(4000). No distributions, so every cardinality is 0 (class
// 1); without statistics the variable part is the declared 4000 bytes:
// row length 4019. Max: INTEGER [2][4][1] = 22/33, DATE 0, DECIMAL [1][7]
// = 17/19, VARCHAR [1][15] = 51/55; per column INTEGER [1][4][1] = 0.
// Compressed: 1976.05, 1815.03, 1977.81, 1817.67 bytes; savings 50.8323,
// 54.8388, 50.7885, 54.7731 %. No statistics: sizes 0.
TEST_P(DemoCatalogTest, NoStatistics) {
  EXPECT_EQ(Find("sales", "quote"),
            (Row{"sales", "quote", " 0", " 0", " 0",
                 Pick(" 50", " 54", " 50", " 54"), " 4096"}));
}

// inventory.stock_snapshot, 15524 pages, 1732032 rows, page size 8192:
// two SMALLINT (18 and 4 distinct: classes 2 and 1) and thirteen INTEGER
// (sampled: all above 250 distinct, class 4). Row length 56. Max: INTEGER
// n = 10 (13 capped), k = 4: [10][4][4] = 50/50; SMALLINT [2][2][2] = 0:
// 4 + 26 = 30 bytes, 46.4286 %, compressed pages floor(53.5714 * 155.24)
// = 8316. Per column INTEGER [1][4][4] = 0: 0 %, all 15524 pages.
TEST_P(DemoCatalogTest, MoreThanTenColumnsOfOneType) {
  EXPECT_EQ(Find("inventory", "stock_snapshot"),
            (Row{"inventory", "stock_snapshot", " 1732032", " 15524",
                 Pick(" 8316", " 8316", " 15524", " 15524"),
                 Pick(" 46", " 46", " 0", " 0"), " 8192"}));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, DemoCatalogTest,
    ::testing::Values(Mode{true, true}, Mode{true, false}, Mode{false, true},
                      Mode{false, false}),
    [](const auto& info) {
      return std::string(info.param.max_cardinality ? "Max" : "Column") +
             (info.param.page_compression ? "Page" : "Row");
    });

// What each estimate rests on, as the demo catalog defines it: currency's
// distributions were built from all its rows, stock_snapshot's from
// samples, error_row's raw_line has none, quote has no statistics at all.
TEST(DemoCatalogBasisTest, EachColumnSaysWhatItsEstimateRestsOn) {
  AppFixture fixture;
  ASSERT_TRUE(fixture.Connect("demo").ok());
  fixture.app.settings.TableFilter = "currency,stock_snapshot,error_row,quote";
  const RunResult result = fixture.RunEstimate();
  std::map<std::string, StatisticsBasis> basis;
  std::map<std::string, bool> has_statistics;
  for (const TableRecord& t : AppFixture::ListedTables(*result.record)) {
    basis[t.table] = t.basis;
    has_statistics[t.table] = HasStatistics(t);
  }
  ASSERT_EQ(basis.size(), 4u);
  EXPECT_EQ(basis["currency"].full, 3);
  EXPECT_EQ(basis["currency"].sampled + basis["currency"].none, 0);
  EXPECT_EQ(basis["stock_snapshot"].sampled, 15);
  EXPECT_EQ(basis["error_row"].columns(), 5);
  EXPECT_EQ(basis["error_row"].none, 1);
  EXPECT_EQ(basis["error_row"].full, 4);
  EXPECT_FALSE(has_statistics["quote"]);
  EXPECT_TRUE(has_statistics["currency"]);
  // The totals add up the pages the rows list, times their page sizes:
  // error_row 82664 -> 26752 pages of 2048, currency 1 -> 1 of 2048,
  // stock_snapshot 15524 -> 8316 of 8192; quote has no statistics.
  const double size = 82664.0 * 2048 + 1 * 2048 + 15524.0 * 8192;
  const double compressed = 26752.0 * 2048 + 1 * 2048 + 8316.0 * 8192;
  const ResultTotals totals = TotalsOf(*result.record);
  EXPECT_EQ(totals.tables, 4u);
  EXPECT_DOUBLE_EQ(totals.size_bytes, size);
  EXPECT_DOUBLE_EQ(totals.compressed_bytes, compressed);
  EXPECT_DOUBLE_EQ(totals.saved_pct, (size - compressed) * 100 / size);
}

// In kilobytes: 56 * 1732032 / 1024 = 94720.5 and 30 * 1691.4375 = 50743.1.
TEST(DemoCatalogBytesTest, SizesInKilobytes) {
  AppFixture fixture;
  AppState& app = fixture.app;
  ASSERT_TRUE(fixture.Connect("demo").ok());
  app.settings.ShowPageSavings = false;
  app.settings.TableFilter = "stock_snapshot";
  const RunResult result = fixture.RunEstimate();
  ASSERT_EQ(result.record->listed.size(), 1u);
  EXPECT_EQ(AppFixture::Cells(result.record->Listed(0), result.record->shown()),
            (Row{"inventory", "stock_snapshot", " 1732032", " 94720", " 50743",
                 " 46", " 8192"}));
}

}  // namespace
}  // namespace tce
