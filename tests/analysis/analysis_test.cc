#include "analysis/analysis.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "support/app_fixture.h"
#include "support/printers.h"
#include "support/test_server.h"

namespace tce {
namespace {

using ::tce::testing::AppFixture;
using ::tce::testing::TestServer;
using Row = std::vector<std::string>;

// Type codes and catalog lengths of the columns the tests use.
constexpr int kChar = 0, kInteger = 2, kVarchar = 13;

class AnalysisTest : public ::testing::Test, public AppFixture {
 protected:
  // Finishes the catalog and connects to it.
  void Connect() {
    server_.Finish();
    ASSERT_EQ(app.connection.Connect(server_.DatabasePath("shop"), "", ""), 0)
        << ::testing::PrintToString(desktop.box_texts());
  }
  tvcli::DatabaseBuilder& Db() { return *db_; }
  // A table of one CHAR(10) column: saves 29 % (page) or 40 % (row).
  void Char10Table(const std::string& owner, const std::string& name,
                   long long pages, long long rows) {
    const int t = Db().AddTable(owner, name, pages, rows, 2048);
    Db().AddColumn(t, "c", kChar, 10);
  }
  // The worked example: INTEGER of 5 distinct values and CHAR(10): 20.7143 %.
  void WorkedExampleTable(const std::string& owner, const std::string& name,
                          long long pages, long long rows) {
    const int t = Db().AddTable(owner, name, pages, rows, 2048);
    const int id = Db().AddColumn(t, "id", kInteger, 4);
    Db().AddDistribution(t, id, "TVD1;s=" + std::to_string(rows) + ";d=5;f1=0");
    Db().AddColumn(t, "c", kChar, 10);
  }
  Row GridRow(int row) const { return RowTexts(app.results_grid, row); }
  int CountSqlStatements() const {
    int count = 0;
    const std::string log = LogText();
    const std::string query = "SQL\r\nSELECT T.OWNER";
    for (size_t at = log.find(query); at != std::string::npos;
         at = log.find(query, at + 1)) {
      ++count;
    }
    return count;
  }

  TestServer server_;
  tvcli::DatabaseBuilder* db_ = &server_.Database("shop");
};

TEST_F(AnalysisTest, NoRowsLeavesTheHeaderAndAsksForAnotherRun) {
  Char10Table("o", "t", 10, 100);
  Connect();
  app.settings.TableFilter = "nosuch";
  EXPECT_FALSE(app.analysis.RunAnalysis());
  EXPECT_TRUE(app.settings.SettingsChanged);
  EXPECT_EQ(app.results_grid.Rows(), 1);
  EXPECT_EQ(GridRow(0), (Row{"", "Schema", "Table", "Count", "Pages",
                             "Comp Pages", "%Saved", "Page Size"}));
  EXPECT_TRUE(app.results_grid.Visible());
  EXPECT_EQ(app.progress.value, 0);
  EXPECT_EQ(app.progress.text, "");
  EXPECT_FALSE(desktop.waiting());
}

TEST_F(AnalysisTest, OneTableOfThreeColumnsIsComputedOnceAfterItsLastRow) {
  const int t = Db().AddTable("acct", "orders", 100, 5000, 4096);
  Db().AddColumn(t, "a", kChar, 10);
  Db().AddColumn(t, "b", kChar, 10);
  Db().AddColumn(t, "c", kChar, 10);
  Connect();
  app.settings.DebugLog = true;
  ASSERT_TRUE(app.analysis.RunAnalysis());
  EXPECT_EQ(app.estimate.TableColumns.ColumnCount(), 3);
  EXPECT_FALSE(app.settings.SettingsChanged);
  // CHAR [n=3][s=10] = 64 %.
  EXPECT_EQ(GridRow(1), (Row{"o", "acct", "orders", " 5000", " 100", " 36",
                             " 64", " 4096"}));
  EXPECT_EQ(app.results_grid.FixedRows(), 1);
  const std::string log = LogText();
  EXPECT_NE(log.find("Query              Reading result set\r\n"),
            std::string::npos);
  EXPECT_NE(
      log.find(
          "-------            \r\nCompute            Calculating compression "
          "on Owner=acct Table=orders\r\n"),
      std::string::npos);
  size_t computes = 0;
  for (size_t at = log.find("Compression="); at != std::string::npos;
       at = log.find("Compression=", at + 1)) {
    ++computes;
  }
  EXPECT_EQ(computes, 1u);
}

TEST_F(AnalysisTest, OwnersAndCaseSeparateTables) {
  Char10Table("b", "same", 10, 10);
  Char10Table("a", "same", 10, 10);
  Char10Table("a", "Same", 10, 10);
  Connect();
  ASSERT_TRUE(app.analysis.RunAnalysis());
  ASSERT_EQ(app.results_grid.Rows(), 4);
  EXPECT_EQ(GridRow(1)[1] + "." + GridRow(1)[2], "a.Same");
  EXPECT_EQ(GridRow(2)[1] + "." + GridRow(2)[2], "a.same");
  EXPECT_EQ(GridRow(3)[1] + "." + GridRow(3)[2], "b.same");
}

TEST_F(AnalysisTest, TheMinimumCompressionKeepsTablesAtItAndDropsThoseBelow) {
  Char10Table("o", "at29", 10, 10);          // 29 %
  WorkedExampleTable("o", "below", 10, 10);  // 20.7143 %
  Connect();
  app.settings.MinCompressionPct = 29;
  ASSERT_TRUE(app.analysis.RunAnalysis());
  ASSERT_EQ(app.results_grid.Rows(), 2);
  EXPECT_EQ(GridRow(1)[2], "at29");
  EXPECT_EQ(app.analysis.tables_emitted(), 1);
  app.settings.MinCompressionPct = 30;
  app.settings.SettingsChanged = true;
  EXPECT_FALSE(app.analysis.RunAnalysis());
  app.settings.MinCompressionPct = 21;
  app.settings.SettingsChanged = true;
  ASSERT_TRUE(app.analysis.RunAnalysis());
  EXPECT_EQ(app.results_grid.Rows(), 2);
}

TEST_F(AnalysisTest, SizesInPagesWithTheZeroToOneRule) {
  Char10Table("o", "big", 1000, 50000);  // 71 % of 1000 pages remain
  Char10Table("o", "tiny", 1, 3);        // floor(0.71) = 0 shows as 1
  Char10Table("o", "empty", 0, 3);       // no pages: stays 0
  Connect();
  ASSERT_TRUE(app.analysis.RunAnalysis());
  EXPECT_EQ(GridRow(1),
            (Row{"o", "o", "big", " 50000", " 1000", " 710", " 29", " 2048"}));
  EXPECT_EQ(GridRow(2),
            (Row{"o", "o", "empty", " 3", " 0", " 0", " 29", " 2048"}));
  EXPECT_EQ(GridRow(3),
            (Row{"o", "o", "tiny", " 3", " 1", " 1", " 29", " 2048"}));
}

TEST_F(AnalysisTest, SizesInKilobytesFromTheRowLengths) {
  WorkedExampleTable("o", "t", 100, 10240);  // 14 and 11.1 bytes a row
  Connect();
  app.settings.ShowPageSavings = false;
  ASSERT_TRUE(app.analysis.RunAnalysis());
  EXPECT_EQ(GridRow(0)[4], "Size(K)");
  EXPECT_EQ(GridRow(0)[5], "Comp(K)");
  EXPECT_EQ(GridRow(1),
            (Row{"o", "o", "t", " 10240", " 140", " 111", " 20", " 2048"}));
}

TEST_F(AnalysisTest, TablesWithoutStatisticsShowNoSize) {
  Char10Table("o", "negative", 50, -1);
  Char10Table("o", "zero", 50, 0);
  Connect();
  for (bool pages : {true, false}) {
    app.settings.ShowPageSavings = pages;
    app.settings.SettingsChanged = true;
    ASSERT_TRUE(app.analysis.RunAnalysis());
    EXPECT_EQ(GridRow(1),
              (Row{"o", "o", "negative", "-1", " 0", " 0", " 29", " 2048"}));
    EXPECT_EQ(GridRow(2),
              (Row{"o", "o", "zero", " 0", " 0", " 0", " 29", " 2048"}));
  }
  app.settings.IgnoreTablesWithoutStats = true;
  app.settings.SettingsChanged = true;
  EXPECT_FALSE(app.analysis.RunAnalysis());
}

TEST_F(AnalysisTest, RowsCarryTheirMarkAndSavingColour) {
  Char10Table("o", "t", 10, 10);
  Connect();
  ASSERT_TRUE(app.analysis.RunAnalysis());
  const GridModel& grid = app.results_grid;
  EXPECT_EQ(grid.CellAt(1, 0).font, "Wingdings");
  EXPECT_EQ(grid.CellAt(1, 0).background, CellColour::ButtonFace());
  EXPECT_EQ(grid.CellAt(1, 6).background, CellColour::Rgb(255, 255, 0));
  EXPECT_EQ(grid.ColWidth(1), 1500);
  EXPECT_EQ(grid.ColAlignment(0), ColumnAlignment::kCentre);
  EXPECT_EQ(grid.ColAlignment(2), ColumnAlignment::kLeft);
  EXPECT_EQ(grid.ColAlignment(7), ColumnAlignment::kRight);
  // The large-results grid holds the same rows, formats included.
  EXPECT_EQ(RowTexts(app.large_grid, 1), GridRow(1));
  EXPECT_EQ(app.large_grid.CellAt(1, 6).background,
            CellColour::Rgb(255, 255, 0));
}

TEST(SavingColourTest, Thresholds) {
  EXPECT_EQ(SavingColour(Fixed4::FromDouble(19.99)),
            CellColour::Rgb(255, 0, 0));
  EXPECT_EQ(SavingColour(Fixed4::FromDouble(20)), CellColour::Rgb(255, 255, 0));
  EXPECT_EQ(SavingColour(Fixed4::FromDouble(49.99)),
            CellColour::Rgb(255, 255, 0));
  EXPECT_EQ(SavingColour(Fixed4::FromDouble(50)), CellColour::Rgb(0, 255, 0));
  EXPECT_EQ(SavingColour(Fixed4::FromDouble(-5)), CellColour::Rgb(255, 0, 0));
}

TEST_F(AnalysisTest, UnchangedSettingsDoNotQueryAgain) {
  Char10Table("o", "t", 10, 10);
  Connect();
  app.settings.LogSQL = true;
  ASSERT_TRUE(app.analysis.RunAnalysis());
  app.results_grid.SetText(1, 2, "kept");
  EXPECT_TRUE(app.analysis.RunAnalysis());
  EXPECT_EQ(GridRow(1)[2], "kept");
  EXPECT_EQ(CountSqlStatements(), 1);
}

TEST_F(AnalysisTest, AfterMagnifyOnlyTheLargeGridIsFilled) {
  Char10Table("o", "first", 10, 10);
  Connect();
  ASSERT_TRUE(app.analysis.RunAnalysis());
  app.settings.LargeResultsShown = true;
  app.settings.SettingsChanged = true;
  app.settings.ShowPageSavings = false;
  ASSERT_TRUE(app.analysis.RunAnalysis());
  EXPECT_EQ(GridRow(0)[4], "Pages");  // the main grid keeps the old run
  EXPECT_EQ(RowTexts(app.large_grid, 0)[4], "Size(K)");
  EXPECT_EQ(app.large_grid.Rows(), 2);
  EXPECT_TRUE(app.large_grid.Visible());
}

TEST_F(AnalysisTest, AFailedQueryLeavesTheGridsAlone) {
  Char10Table("o", "t", 10, 10);
  Connect();
  ASSERT_TRUE(app.analysis.RunAnalysis());
  app.connection.PageSizeExpression = "";  // as after a failed probe
  app.settings.SettingsChanged = true;
  app.settings.DebugLog = true;
  EXPECT_FALSE(app.analysis.RunAnalysis());
  EXPECT_EQ(app.results_grid.Rows(), 2);
  EXPECT_TRUE(app.settings.SettingsChanged);
  ASSERT_FALSE(desktop.boxes().empty());
  EXPECT_EQ(desktop.boxes().back().title, "SQL Error");
  EXPECT_NE(LogText().find("Query              Error retrieving records"),
            std::string::npos);
  EXPECT_FALSE(desktop.waiting());
}

TEST_F(AnalysisTest, ProgressRepaintsAndYieldsWhileReading) {
  for (int i = 0; i < 25; ++i)
    Char10Table("o", "t" + std::to_string(100 + i), 10, 10);
  Connect();
  std::vector<std::string> texts;
  app.progress.on_change = [&] { texts.push_back(app.progress.text); };
  ASSERT_TRUE(app.analysis.RunAnalysis());
  EXPECT_EQ(texts.front(), "Records: 0");
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Records: 10"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Records: 20"), texts.end());
  EXPECT_EQ(std::find(texts.begin(), texts.end(), "Records: 5"), texts.end());
  EXPECT_EQ(texts.back(), "");
  EXPECT_GT(desktop.pending_event_calls(), 0);
  EXPECT_EQ(desktop.cursor_changes(), (std::vector<bool>{true, false}));
}

TEST_F(AnalysisTest, ASecondRunCannotStartWhileOneYields) {
  for (int i = 0; i < 5; ++i) Char10Table("o", "t" + std::to_string(i), 10, 10);
  Connect();
  int refused = 0;
  desktop.OnPendingEvents([&] {
    app.settings.SettingsChanged = true;
    if (!app.analysis.RunAnalysis()) ++refused;
  });
  ASSERT_TRUE(app.analysis.RunAnalysis());
  EXPECT_GT(refused, 0);
  EXPECT_EQ(app.results_grid.Rows(), 6);
}

TEST_F(AnalysisTest, ADriverErrorWhileFetchingIsShownAndTheTablesReadStay) {
  Char10Table("a", "good", 10, 10);
  Char10Table("b", "alsogood", 10, 10);
  Char10Table("c", "bad", 10, 10);
  // The catalog's columns become a view that fails on the third table's row.
  Db().Execute(
      "ALTER TABLE syscolumns RENAME TO real_syscolumns;"
      "CREATE VIEW syscolumns AS SELECT tabid, colno, colname, coltype, "
      "CASE WHEN tabid = 3 THEN abs(-9223372036854775808) ELSE collength END "
      "AS collength FROM real_syscolumns;");
  Connect();
  EXPECT_TRUE(app.analysis.RunAnalysis());
  ASSERT_EQ(desktop.boxes().size(), 1u)
      << ::testing::PrintToString(desktop.box_texts());
  EXPECT_EQ(desktop.boxes()[0].title, "SQL Error");
  EXPECT_NE(desktop.boxes()[0].text.find("overflow"), std::string::npos);
  EXPECT_EQ(app.results_grid.Rows(), 3);  // the two tables read before it
}

}  // namespace
}  // namespace tce
