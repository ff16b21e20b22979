#include "results/results_actions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "support/app_fixture.h"
#include "support/test_server.h"

namespace tce {
namespace {

using ::tce::testing::AppFixture;
using ::tce::testing::ReadFileBytes;
using ::tce::testing::TempDir;
using ::tce::testing::TestServer;

// A results grid as the analysis run lays it out, with these rows
// (owner, table, count, size, compressed, saving, page size).
class ResultsTest : public ::testing::Test, public AppFixture {
 protected:
  void Rows(const std::vector<std::vector<std::string>>& rows) {
    GridModel& grid = app.results_grid;
    grid.TruncateRows(1);
    LayOutResultsGrid(
        grid, ResultsHeaderLine(app.messages, app.settings, "\t", true));
    for (const auto& row : rows) {
      std::string line = "o";
      for (const std::string& cell : row) line += "\t" + cell;
      grid.AddItem(line);
      grid.SetRow(grid.Rows() - 1);
      grid.SetCol(6);
      grid.SetCellBackColor(
          CellColour::Rgb(0, 255, static_cast<uint8_t>(grid.Rows())));
    }
    grid.SetFixedRows(1);
  }
  std::vector<std::string> Column(int col) const {
    std::vector<std::string> cells;
    for (int row = 1; row < app.results_grid.Rows(); ++row) {
      cells.push_back(app.results_grid.Text(row, col));
    }
    return cells;
  }
  void Export(const std::string& path) {
    desktop.QueueSaveAnswer(path);
    ExportResults(app.results_context(), app.results_grid, SaveDialog::kMain,
                  "demo.out");
  }

  TempDir files_;
};

TEST_F(ResultsTest, ClickingTheMarkCellTogglesOnlyThatRow) {
  Rows({{"a", "t1", " 1", " 1", " 1", " 1", " 2048"},
        {"a", "t2", " 1", " 1", " 1", " 1", " 2048"}});
  OnGridMouseUp(app.results_grid, 2, 0, 2);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"o", kMarkedText}));
  OnGridMouseUp(app.results_grid, 2, 0, 2);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"o", "o"}));
  OnGridMouseUp(app.results_grid, 1, 3, 1);  // another column: nothing
  EXPECT_EQ(Column(0), (std::vector<std::string>{"o", "o"}));
}

TEST_F(ResultsTest, TheMarkHeaderMarksAllAndNeverUnmarks) {
  Rows({{"a", "t1", " 1", " 1", " 1", " 1", " 2048"},
        {"a", "t2", " 1", " 1", " 1", " 1", " 2048"}});
  OnGridMouseUp(app.results_grid, 1, 0, 1);
  OnGridMouseUp(app.results_grid, 1, 0, 0);
  OnGridMouseUp(app.results_grid, 1, 0, 0);
  EXPECT_EQ(Column(0), (std::vector<std::string>{kMarkedText, kMarkedText}));
  ClearMarks(app.results_grid);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"o", "o"}));
  ClearMarks(app.results_grid);  // already clear: nothing changes
  EXPECT_EQ(Column(0), (std::vector<std::string>{"o", "o"}));
}

TEST_F(ResultsTest, HeaderClicksSortTextAscendingAndNumbersDescending) {
  Rows({{"b", "orders", " 500", " 10", " 5", " 50", " 2048"},
        {"a", "Zeta", "-1", " 0", " 0", " 12", " 4096"},
        {"c", "alpha", " 0", " 30", " 20", " 33", " 2048"}});
  OnGridMouseUp(app.results_grid, 1, 2, 0);
  EXPECT_EQ(Column(2), (std::vector<std::string>{"Zeta", "alpha", "orders"}));
  // Rows move whole, marks and colours included.
  EXPECT_EQ(app.results_grid.Text(1, 1), "a");
  EXPECT_EQ(app.results_grid.CellAt(1, 6).background,
            CellColour::Rgb(0, 255, 3));
  OnGridMouseUp(app.results_grid, 1, 6, 0);
  EXPECT_EQ(Column(6), (std::vector<std::string>{" 50", " 33", " 12"}));
  OnGridMouseUp(app.results_grid, 1, 3, 0);
  EXPECT_EQ(Column(3),
            (std::vector<std::string>{" 500", " 0", "-1"}));  // no stats last
  OnGridMouseUp(app.results_grid, 1, 1, 0);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(ResultsTest, ActionsOnAnEmptyGridDoNothing) {
  Rows({});
  OnGridMouseUp(app.results_grid, 0, 0, 0);
  OnGridMouseUp(app.results_grid, 0, 3, 0);
  ClearMarks(app.results_grid);
  EXPECT_EQ(app.results_grid.Rows(), 1);
  ShowTableDetails(app.results_context(), app.results_grid, 0, 2);
  EXPECT_EQ(app.chart.caption, "");
}

TEST(ToolbarTest, KeysMatchExactly) {
  EXPECT_EQ(ToolbarActionOf("graph"), ToolbarAction::kGraph);
  EXPECT_EQ(ToolbarActionOf("Graph"), ToolbarAction::kNone);
  EXPECT_EQ(ToolbarActionOf("magnify"), ToolbarAction::kMagnify);
  EXPECT_EQ(ToolbarActionOf("exit "), ToolbarAction::kNone);
}

TEST_F(ResultsTest, SummaryOfTheMarkedTables) {
  Rows({{"a", "t1", " 10", " 100", " 60", " 40", " 2048"},
        {"a", "t2", " 10", " 300", " 140", " 53", " 2048"},
        {"a", "nostats", "-1", " 0", " 0", " 20", " 2048"},
        {"a", "unmarked", " 10", " 999", " 1", " 99", " 2048"}});
  for (int row : {1, 2}) OnGridMouseUp(app.results_grid, row, 0, row);
  ShowSummaryChart(app.results_context(), app.results_grid);
  EXPECT_EQ(app.chart.caption, "Tables: 2     Compression: 50%");
  // A marked table without statistics is counted but adds nothing.
  OnGridMouseUp(app.results_grid, 3, 0, 3);
  ShowSummaryChart(app.results_context(), app.results_grid);
  EXPECT_EQ(app.chart.caption, "Tables: 3     Compression: 50%");
  EXPECT_EQ(app.chart.size_label, "Size: 400 Pages");
  EXPECT_EQ(app.chart.size_value, 400);
  EXPECT_EQ(app.chart.compressed_label, "Compressed: 200 Pages");
  EXPECT_TRUE(app.chart.visible);
}

TEST_F(ResultsTest, SummaryEdgeCases) {
  Rows({{"a", "t1", " 10", " 100", " 130", " -30", " 2048"},
        {"a", "t2", "-1", " 0", " 0", " 20", " 2048"}});
  ShowSummaryChart(app.results_context(), app.results_grid);
  EXPECT_EQ(app.chart.caption, "No tables selected for summary");
  EXPECT_FALSE(app.chart.visible);
  OnGridMouseUp(app.results_grid, 1, 0, 1);
  app.settings.ShowPageSavings = false;
  ShowSummaryChart(app.results_context(), app.results_grid);
  EXPECT_EQ(app.chart.caption, "Tables: 1     Compression: -30%");
  EXPECT_EQ(app.chart.size_label, "Size: 100 K");
  // Only a table without statistics marked: nothing to divide by, the
  // caption stays, the chart shows the zero totals.
  ClearMarks(app.results_grid);
  OnGridMouseUp(app.results_grid, 2, 0, 2);
  ShowSummaryChart(app.results_context(), app.results_grid);
  EXPECT_EQ(app.chart.caption, "Tables: 1     Compression: -30%");
  EXPECT_EQ(app.chart.size_label, "Size: 0 K");
  EXPECT_TRUE(app.chart.visible);
}

TEST_F(ResultsTest, ExportWritesTheHeaderAndTrimmedCells) {
  Rows({{"sales", "orders", " 500", " 10", " 5", " 50", " 2048"},
        {"hr", "staff", "-1", " 0", " 0", " 12", " 4096"}});
  OnGridMouseUp(app.results_grid, 1, 0, 1);  // marks do not matter
  Export(files_.File("out.txt"));
  EXPECT_EQ(ReadFileBytes(files_.File("out.txt")),
            "Schema\tTable\tCount\tPages\tComp Pages\t%Saved\tPage Size\r\n"
            "sales\torders\t500\t10\t5\t50\t2048\r\n"
            "hr\tstaff\t-1\t0\t0\t12\t4096\r\n");
  ASSERT_EQ(desktop.save_requests().size(), 1u);
  EXPECT_EQ(desktop.save_requests()[0].preset, "demo.out");
  EXPECT_EQ(
      desktop.box_texts().back(),
      "File exported (" + files_.File("out.txt") + ")\r\nRecords exported=2");
  // Comma-delimited, sizes in kilobytes, after a sort.
  app.settings.TabDelimited = false;
  app.settings.ShowPageSavings = false;
  OnGridMouseUp(app.results_grid, 1, 1, 0);
  Export(files_.File("out.csv"));
  EXPECT_EQ(ReadFileBytes(files_.File("out.csv")),
            "Schema,Table,Count,Size(K),Comp(K),%Saved,Page Size\r\n"
            "hr,staff,-1,0,0,12,4096\r\n"
            "sales,orders,500,10,5,50,2048\r\n");
}

TEST_F(ResultsTest, ExportOfAnEmptyGridAndCancel) {
  Rows({});
  app.settings.TabDelimited = false;
  Export(files_.File("empty.csv"));
  EXPECT_EQ(ReadFileBytes(files_.File("empty.csv")),
            "Schema,Table,Count,Pages,Comp Pages,%Saved,Page Size\r\n");
  EXPECT_EQ(desktop.box_texts().back().substr(
                desktop.box_texts().back().find("\r\n")),
            "\r\nRecords exported=0");
  desktop.ClearBoxes();
  ExportResults(app.results_context(), app.results_grid,
                SaveDialog::kLargeResults,
                std::nullopt);  // cancelled
  desktop.QueueSaveAnswer("");
  ExportResults(app.results_context(), app.results_grid,
                SaveDialog::kLargeResults,
                std::nullopt);  // empty name
  EXPECT_TRUE(desktop.boxes().empty());
  EXPECT_EQ(desktop.save_requests().back().preset, std::nullopt);
}

TEST_F(ResultsTest, ExportFailuresAreReported) {
  Rows({{"a", "t", " 1", " 1", " 1", " 1", " 2048"}});
  Export(files_.File("no/such/folder/out.txt"));
  EXPECT_EQ(desktop.box_texts().back(), "No such file or directory");
  // A disk that fills up: the message says so instead of "File exported".
  Export("/dev/full");
  EXPECT_EQ(desktop.box_texts().back().rfind(
                "File not written completely (/dev/full)", 0),
            0u);
  EXPECT_FALSE(desktop.waiting());
}

TEST(SchemaListResizeTest, WidthIsFixedAndHeightHasAMinimum) {
  EXPECT_EQ(SchemaListResize(8000, 7125).width, 10000);
  EXPECT_EQ(SchemaListResize(12000, 7125).width, 10000);
  const SchemaListSize small = SchemaListResize(10000, 1500);
  EXPECT_EQ(small.height, 2000);
  EXPECT_EQ(small.grid_height, 1000);
  EXPECT_EQ(SchemaListResize(10000, 9000).grid_height, 8000);
}

// Table details read the catalog again for the clicked table.
class DetailsTest : public ResultsTest {
 protected:
  void SetUp() override {
    auto& db = server_.Database("shop");
    const int t = db.AddTable("o'neil", "it's", 120, 5000, 2048);
    db.AddColumn(t, "id", 2, 4);
    db.AddDistribution(t, 1, "TVD1;s=5000;d=5;f1=0");
    db.AddColumn(t, "name", 0, 10);
    const int n = db.AddTable("o", "nostats", 40, -1, 2048);
    db.AddColumn(n, "v", 13, 100);
    server_.Finish();
    ASSERT_EQ(app.connection.Connect(server_.DatabasePath("shop"), "", ""), 0);
    ASSERT_TRUE(app.analysis.RunAnalysis());
  }
  std::vector<std::string> InfoRow(int row) const {
    return RowTexts(app.table_info, row);
  }

  TestServer server_;
};

TEST_F(DetailsTest, ShowsTheChartAndTheColumnsOfTheClickedTable) {
  ASSERT_EQ(app.results_grid.Text(2, 2), "it's");
  ShowTableDetails(app.results_context(), app.results_grid, 2, 3);
  EXPECT_EQ(app.chart.caption, "it's");
  EXPECT_TRUE(app.chart.visible);
  EXPECT_EQ(app.chart.size_label, "Size: 120 Pages");
  EXPECT_EQ(app.chart.compressed_label, "Compressed: 95 Pages");
  EXPECT_EQ(app.chart.size_value, 120);
  ASSERT_EQ(app.table_info.Rows(), 3);
  EXPECT_EQ(app.table_info.FixedRows(), 1);
  EXPECT_EQ(InfoRow(1), (std::vector<std::string>{"id", "INTEGER", "4", "0"}));
  EXPECT_EQ(InfoRow(2), (std::vector<std::string>{"name", "CHAR", "10", "29"}));
  // The same row again gives the same lines, nothing kept from before.
  ShowTableDetails(app.results_context(), app.results_grid, 2, 1);
  EXPECT_EQ(app.table_info.Rows(), 3);
}

TEST_F(DetailsTest, NoStatisticsHidesTheChartAndKilobytesChangeTheUnit) {
  ShowTableDetails(app.results_context(), app.results_grid, 1, 2);
  EXPECT_EQ(app.chart.caption, "nostats  (No statistics available)");
  EXPECT_FALSE(app.chart.visible);
  EXPECT_EQ(InfoRow(1),
            (std::vector<std::string>{"v", "VARCHAR", "100", "51"}));
  app.settings.ShowPageSavings = false;
  app.results_grid.SetText(2, 4, " 960");
  ShowTableDetails(app.results_context(), app.results_grid, 2, 4);
  EXPECT_EQ(app.chart.size_label, "Size: 960 K");
}

TEST_F(DetailsTest, MarkColumnAndFailuresLeaveTheDetails) {
  ShowTableDetails(app.results_context(), app.results_grid, 2, 0);
  EXPECT_EQ(app.chart.caption, "");
  EXPECT_EQ(app.table_info.Rows(), 1);
  app.connection.PageSizeExpression = "";  // the query cannot run
  ShowTableDetails(app.results_context(), app.results_grid, 2, 2);
  EXPECT_EQ(desktop.box_texts().back(),
            "Error retrieving table informationit's");
  EXPECT_EQ(app.table_info.Rows(), 1);
  EXPECT_FALSE(desktop.waiting());
}

}  // namespace
}  // namespace tce
