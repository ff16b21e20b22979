#include "actions/results_actions.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "base/number_text.h"
#include "support/app_fixture.h"
#include "support/test_server.h"

namespace tce {
namespace {

using ::tce::testing::AppFixture;
using ::tce::testing::ReadFileBytes;
using ::tce::testing::TempDir;
using ::tce::testing::TestServer;

// A results grid showing these tables (owner, table, count, size,
// compressed, saving, page size): each is recorded with the figures that
// give these cells.
class ResultsTest : public ::testing::Test, public AppFixture {
 protected:
  void Rows(const std::vector<std::vector<std::string>>& rows,
            SizeUnit unit = SizeUnit::kPages) {
    auto record = std::make_shared<RunRecord>();
    record->settings.ShowPageSavings = unit == SizeUnit::kPages;
    for (const auto& row : rows) {
      const double count = LeadingNumber(row[2]);
      const double size = LeadingNumber(row[3]);
      const double compressed = LeadingNumber(row[4]);
      const double saved = LeadingNumber(row[5]);
      TableRecord t;
      t.owner = row[0];
      t.table = row[1];
      t.row_count = Fixed4::FromDouble(count);
      t.page_size = static_cast<int32_t>(LeadingNumber(row[6]));
      double pct = saved;
      if (unit == SizeUnit::kPages) {
        t.pages_used = Fixed4::FromDouble(size);
        // The saving within [saved, saved + 1) whose share of the pages
        // floors to `compressed` (or to 0, shown as 1).
        if (size > 0) {
          const double above = 100 - (compressed + 1) * 100 / size;
          const double upto =
              compressed == 1 ? 100 : 100 - compressed * 100 / size;
          const double low = std::max(saved, above + 1e-3);
          const double high = std::min(saved + 1 - 1e-3, upto);
          EXPECT_LE(low, high) << "no saving gives these cells";
          pct = (low + high) / 2;
        }
      } else if (count > 0) {
        t.row_length = Fixed4::FromDouble(size * 1024 / count + 1e-4);
        t.compressed_length.page =
            Fixed4::FromDouble(compressed * 1024 / count + 1e-4);
      }
      if (unit == SizeUnit::kPages) {
        t.row_length = Fixed4::FromInt(100);
        t.compressed_length.page = Fixed4::FromDouble(100 - pct);
      }
      record->listed.push_back(static_cast<int32_t>(record->tables.size()));
      record->tables.push_back(t);
    }
    app.models.results_grid.Show(std::move(record));
  }
  // The texts of one column of the grid, in view order ("o" or "x" for
  // the marks).
  std::vector<std::string> Column(int col) const {
    std::vector<std::string> cells;
    const ResultsGrid& grid = app.models.results_grid;
    for (int row = 1; row <= grid.RowCount(); ++row) {
      cells.push_back(col == 0 ? (grid.Marked(row) ? "x" : "o")
                               : GridCellText(grid.Row(row), grid.shown(), col));
    }
    return cells;
  }
  void Export(const std::string& path) {
    desktop.QueueSaveAnswer(path);
    ExportResults(app.results_context(), app.models.results_grid,
                  SaveDialog::kMain, "demo.out",
                  DelimitedFormat(app.settings.TabDelimited));
  }

  TempDir files_;
};

TEST_F(ResultsTest, ClickingTheMarkCellTogglesOnlyThatRow) {
  Rows({{"a", "t1", " 1", " 1", " 1", " 1", " 2048"},
        {"a", "t2", " 1", " 1", " 1", " 1", " 2048"}});
  OnGridMouseUp(app.models.results_grid, 2, 0, 2);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"o", "x"}));
  OnGridMouseUp(app.models.results_grid, 2, 0, 2);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"o", "o"}));
  OnGridMouseUp(app.models.results_grid, 1, 3, 1);  // another column: nothing
  EXPECT_EQ(Column(0), (std::vector<std::string>{"o", "o"}));
}

TEST_F(ResultsTest, TheMarkHeaderMarksAllAndNeverUnmarks) {
  Rows({{"a", "t1", " 1", " 1", " 1", " 1", " 2048"},
        {"a", "t2", " 1", " 1", " 1", " 1", " 2048"}});
  OnGridMouseUp(app.models.results_grid, 1, 0, 1);
  OnGridMouseUp(app.models.results_grid, 1, 0, 0);
  OnGridMouseUp(app.models.results_grid, 1, 0, 0);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"x", "x"}));
  app.models.results_grid.ClearMarks();
  EXPECT_EQ(Column(0), (std::vector<std::string>{"o", "o"}));
  app.models.results_grid.ClearMarks();  // already clear: nothing changes
  EXPECT_EQ(Column(0), (std::vector<std::string>{"o", "o"}));
}

TEST_F(ResultsTest, HeaderClicksSortTextAscendingAndNumbersDescending) {
  Rows({{"b", "orders", " 500", " 10", " 5", " 50", " 2048"},
        {"a", "Zeta", "-1", " 0", " 0", " 12", " 4096"},
        {"c", "alpha", " 0", " 30", " 20", " 33", " 2048"}});
  OnGridMouseUp(app.models.results_grid, 1, 2, 0);
  EXPECT_EQ(Column(2), (std::vector<std::string>{"Zeta", "alpha", "orders"}));
  // Rows move whole.
  EXPECT_EQ(Column(1), (std::vector<std::string>{"a", "c", "b"}));
  OnGridMouseUp(app.models.results_grid, 1, 6, 0);
  EXPECT_EQ(Column(6), (std::vector<std::string>{" 50", " 33", " 12"}));
  OnGridMouseUp(app.models.results_grid, 1, 3, 0);
  EXPECT_EQ(Column(3),
            (std::vector<std::string>{" 500", " 0", "-1"}));  // no stats last
  OnGridMouseUp(app.models.results_grid, 1, 1, 0);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(ResultsTest, ActionsOnAnEmptyGridDoNothing) {
  Rows({});
  OnGridMouseUp(app.models.results_grid, 0, 0, 0);
  OnGridMouseUp(app.models.results_grid, 0, 3, 0);
  app.models.results_grid.ClearMarks();
  EXPECT_EQ(app.models.results_grid.RowCount(), 0);
  ShowTableDetails(app.results_context(), app.models.results_grid, 0, 2);
  EXPECT_EQ(app.models.chart.caption, "");
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
  for (int row : {1, 2}) OnGridMouseUp(app.models.results_grid, row, 0, row);
  ShowSummaryChart(app.results_context(), app.models.results_grid);
  EXPECT_EQ(app.models.chart.caption, "Tables: 2     Compression: 50%");
  // A marked table without statistics is counted but adds nothing.
  OnGridMouseUp(app.models.results_grid, 3, 0, 3);
  ShowSummaryChart(app.results_context(), app.models.results_grid);
  EXPECT_EQ(app.models.chart.caption, "Tables: 3     Compression: 50%");
  EXPECT_EQ(app.models.chart.size_label, "Size: 400 Pages");
  EXPECT_EQ(app.models.chart.size_value, 400);
  EXPECT_EQ(app.models.chart.compressed_label, "Compressed: 200 Pages");
  EXPECT_TRUE(app.models.chart.visible);
}

TEST_F(ResultsTest, SummaryPercentagesRoundHalvesToEven) {
  Rows({{"a", "t1", " 10", " 200", " 175", " 12", " 2048"}});  // 12.5 %
  OnGridMouseUp(app.models.results_grid, 1, 0, 0);
  ShowSummaryChart(app.results_context(), app.models.results_grid);
  EXPECT_EQ(app.models.chart.caption, "Tables: 1     Compression: 12%");
  Rows({{"a", "t1", " 10", " 200", " 125", " 37", " 2048"}});  // 37.5 %
  OnGridMouseUp(app.models.results_grid, 1, 0, 0);
  ShowSummaryChart(app.results_context(), app.models.results_grid);
  EXPECT_EQ(app.models.chart.caption, "Tables: 1     Compression: 38%");
}

TEST_F(ResultsTest, SummaryOfDifferentPageSizesSumsBytes) {
  // 100 pages of 2 kB, 10 of 8 kB and 10 of 16 kB: 200 + 80 + 160 kB; the
  // compressed 50 + 10 + 10 pages: 100 + 80 + 160 kB.
  Rows({{"a", "two", " 10", " 100", " 50", " 50", " 2048"},
        {"a", "eight", " 10", " 10", " 10", " 0", " 8192"},
        {"a", "sixteen", " 10", " 10", " 10", " 0", " 16384"}});
  OnGridMouseUp(app.models.results_grid, 1, 0, 0);
  ShowSummaryChart(app.results_context(), app.models.results_grid);
  EXPECT_EQ(app.models.chart.size_label, "Size: 440 K");
  EXPECT_EQ(app.models.chart.compressed_label, "Compressed: 340 K");
  EXPECT_EQ(app.models.chart.caption,
            "Tables: 3     Compression: 23%     (in K: the page sizes differ)");
  // One page size: pages, as before.
  app.models.results_grid.ClearMarks();
  OnGridMouseUp(app.models.results_grid, 2, 0, 2);
  OnGridMouseUp(app.models.results_grid, 3, 0, 3);
  app.models.results_grid.ToggleMark(3);
  ShowSummaryChart(app.results_context(), app.models.results_grid);
  EXPECT_EQ(app.models.chart.size_label, "Size: 10 Pages");
}

TEST_F(ResultsTest, SummaryTotalsSaturate) {
  Rows({{"a", "t1", " 900000000000000", " 9e18", " 1e18", " 88", " 2048"},
        {"a", "t2", " 900000000000000", " 9e18", " 1e18", " 88", " 2048"}},
       SizeUnit::kKilobytes);
  OnGridMouseUp(app.models.results_grid, 1, 0, 0);
  ShowSummaryChart(app.results_context(), app.models.results_grid);
  EXPECT_EQ(app.models.chart.size_label,
            "Size: " + std::to_string(INT64_MAX) + " K");
  EXPECT_EQ(app.models.chart.caption, "Tables: 2     Compression: 89%");
}

TEST_F(ResultsTest, SummaryEdgeCases) {
  Rows({{"a", "t1", " 10", " 100", " 70", " 30", " 2048"},
        {"a", "t2", "-1", " 0", " 0", " 20", " 2048"}},
       SizeUnit::kKilobytes);
  ShowSummaryChart(app.results_context(), app.models.results_grid);
  EXPECT_EQ(app.models.chart.caption, "No tables selected for summary");
  EXPECT_FALSE(app.models.chart.visible);
  OnGridMouseUp(app.models.results_grid, 1, 0, 1);
  ShowSummaryChart(app.results_context(), app.models.results_grid);
  EXPECT_EQ(app.models.chart.caption, "Tables: 1     Compression: 30%");
  EXPECT_EQ(app.models.chart.size_label, "Size: 100 K");
  // Only a table without statistics marked: nothing to divide by, the
  // caption stays, the chart shows the zero totals.
  app.models.results_grid.ClearMarks();
  OnGridMouseUp(app.models.results_grid, 2, 0, 2);
  ShowSummaryChart(app.results_context(), app.models.results_grid);
  EXPECT_EQ(app.models.chart.caption, "Tables: 1     Compression: 30%");
  EXPECT_EQ(app.models.chart.size_label, "Size: 0 K");
  EXPECT_TRUE(app.models.chart.visible);
}

TEST_F(ResultsTest, ExportWritesTheHeaderAndTrimmedCells) {
  Rows({{"sales", "orders", " 500", " 10", " 5", " 50", " 2048"},
        {"hr", "staff", "-1", " 0", " 0", " 12", " 4096"}});
  OnGridMouseUp(app.models.results_grid, 1, 0, 1);  // marks do not matter
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
  // Comma-delimited, after a sort.
  app.settings.TabDelimited = false;
  OnGridMouseUp(app.models.results_grid, 1, 1, 0);
  Export(files_.File("out.csv"));
  EXPECT_EQ(ReadFileBytes(files_.File("out.csv")),
            "Schema,Table,Count,Pages,Comp Pages,%Saved,Page Size\r\n"
            "hr,staff,-1,0,0,12,4096\r\n"
            "sales,orders,500,10,5,50,2048\r\n");
}

TEST_F(ResultsTest, TheExportHeaderFollowsTheResultNotTheOptionsSinceChanged) {
  Rows({{"a", "t", " 1", " 10", " 5", " 50", " 2048"}}, SizeUnit::kKilobytes);
  app.settings.ShowPageSavings = true;  // changed after the run
  Export(files_.File("out.txt"));
  EXPECT_EQ(ReadFileBytes(files_.File("out.txt")).substr(0, 41),
            "Schema\tTable\tCount\tSize(K)\tComp(K)\t%Saved");
}

TEST_F(ResultsTest, NamesHoldingTheDelimiterQuotesOrLineEndsAreQuoted) {
  Rows({{"o,1", "say \"hi\"", " 1", " 1", " 1", " 1", " 2048"},
        {"o\t2", "line\r\nend", " 1", " 1", " 1", " 1", " 2048"},
        {"plain", "name", " 1", " 1", " 1", " 1", " 2048"}});
  app.settings.TabDelimited = false;
  Export(files_.File("out.csv"));
  EXPECT_EQ(ReadFileBytes(files_.File("out.csv")),
            "Schema,Table,Count,Pages,Comp Pages,%Saved,Page Size\r\n"
            "\"o,1\",\"say \"\"hi\"\"\",1,1,1,1,2048\r\n"
            "o\t2,\"line\r\nend\",1,1,1,1,2048\r\n"
            "plain,name,1,1,1,1,2048\r\n");
  app.settings.TabDelimited = true;
  Export(files_.File("out.txt"));
  EXPECT_EQ(ReadFileBytes(files_.File("out.txt")),
            "Schema\tTable\tCount\tPages\tComp Pages\t%Saved\tPage Size\r\n"
            "o,1\t\"say \"\"hi\"\"\"\t1\t1\t1\t1\t2048\r\n"
            "\"o\t2\"\t\"line\r\nend\"\t1\t1\t1\t1\t2048\r\n"
            "plain\tname\t1\t1\t1\t1\t2048\r\n");
  EXPECT_EQ(DelimitedField("", ','), "");
  EXPECT_EQ(DelimitedField("\"", ','), "\"\"\"\"");
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
  ExportResults(app.results_context(), app.models.results_grid,
                SaveDialog::kLargeResults, std::nullopt,
                ExportFormat::kTab);  // cancelled
  desktop.QueueSaveAnswer("");
  ExportResults(app.results_context(), app.models.results_grid,
                SaveDialog::kLargeResults, std::nullopt,
                ExportFormat::kTab);  // empty name
  EXPECT_TRUE(desktop.boxes().empty());
  EXPECT_EQ(desktop.save_requests().back().preset, std::nullopt);
}

TEST_F(ResultsTest, ExportFailuresAreReported) {
  Rows({{"a", "t", " 1", " 1", " 1", " 1", " 2048"}});
  Export(files_.File("no/such/folder/out.txt"));
  EXPECT_EQ(desktop.box_texts().back(),
            "File not written: " + files_.File("no/such/folder/out.txt") +
                ": No such file or directory");
  // A disk that fills up: the message says so instead of "File exported".
  Export("/dev/full");
  EXPECT_EQ(desktop.box_texts().back(),
            "File not written: /dev/full: No space left on device; the output "
            "may be incomplete");
  EXPECT_FALSE(desktop.waiting());
}

TEST(SchemaListResizeTest, WidthIsFixedAndHeightHasAMinimum) {
  EXPECT_EQ(SchemaListResize(7125).width, 10000);
  const SchemaListSize small = SchemaListResize(1500);
  EXPECT_EQ(small.height, 2000);
  EXPECT_EQ(small.grid_height, 1000);
  EXPECT_EQ(SchemaListResize(9000).grid_height, 8000);
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
    const int m = db.AddTable("o", "tilde~x^y", 40, 10, 2048);
    db.AddColumn(m, "w", 0, 4);
    server_.Finish();
    ASSERT_TRUE(Connect(server_.DatabasePath("shop")).ok());
    Publish();
  }
  void Publish() {
    const RunResult result = RunEstimate();
    ASSERT_EQ(result.outcome, RunOutcome::kListed);
    app.models.results_grid.Show(result.record);
  }
  std::vector<std::string> InfoRow(int row) const {
    const ColumnDetail& line =
        app.models.details.lines()[static_cast<size_t>(row - 1)];
    return {line.name, line.type, std::to_string(line.bytes),
            line.pct.ToText()};
  }
  int InfoRows() const {
    return static_cast<int>(app.models.details.lines().size());
  }

  TestServer server_;
};

TEST_F(DetailsTest, ShowsTheChartAndTheColumnsOfTheClickedTable) {
  ASSERT_EQ(app.models.results_grid.Row(3).table, "it's");
  ShowTableDetails(app.results_context(), app.models.results_grid, 3, 3);
  EXPECT_EQ(app.models.chart.caption, "it's");
  EXPECT_TRUE(app.models.chart.visible);
  EXPECT_EQ(app.models.chart.size_label, "Size: 120 Pages");
  EXPECT_EQ(app.models.chart.compressed_label, "Compressed: 95 Pages");
  EXPECT_EQ(app.models.chart.size_value, 120);
  ASSERT_EQ(InfoRows(), 2);
  EXPECT_EQ(InfoRow(1), (std::vector<std::string>{"id", "INTEGER", "4", "0"}));
  EXPECT_EQ(InfoRow(2), (std::vector<std::string>{"name", "CHAR", "10", "29"}));
  // What each column's figure rests on.
  EXPECT_EQ(app.models.details.lines()[0].basis, ColumnBasis::kFull);
  EXPECT_EQ(app.models.details.lines()[1].basis, ColumnBasis::kNone);
  // The same row again gives the same lines, nothing kept from before.
  ShowTableDetails(app.results_context(), app.models.results_grid, 3, 1);
  EXPECT_EQ(InfoRows(), 2);
}

TEST_F(DetailsTest, NamesWithMarkupCharactersGetTheirColumns) {
  ASSERT_EQ(app.models.results_grid.Row(2).table, "tilde~x^y");
  ShowTableDetails(app.results_context(), app.models.results_grid, 2, 2);
  ASSERT_EQ(InfoRows(), 1);
  EXPECT_EQ(InfoRow(1)[0], "w");
}

TEST_F(DetailsTest, NoStatisticsHidesTheChartAndKilobytesChangeTheUnit) {
  ShowTableDetails(app.results_context(), app.models.results_grid, 1, 2);
  EXPECT_EQ(app.models.chart.caption, "nostats  (No statistics available)");
  EXPECT_FALSE(app.models.chart.visible);
  EXPECT_EQ(InfoRow(1),
            (std::vector<std::string>{"v", "VARCHAR", "100", "51"}));
  app.settings.ShowPageSavings = false;
  Publish();
  ShowTableDetails(app.results_context(), app.models.results_grid, 3, 4);
  EXPECT_EQ(app.models.chart.size_label.substr(
                app.models.chart.size_label.size() - 2),
            " K");
}

TEST_F(DetailsTest, MarkColumnAndFailuresLeaveTheDetails) {
  ShowTableDetails(app.results_context(), app.models.results_grid, 3, 0);
  EXPECT_EQ(app.models.chart.caption, "");
  EXPECT_EQ(InfoRows(), 0);
  app.connection.PageSizeExpression = "";  // the query cannot be built
  ShowTableDetails(app.results_context(), app.models.results_grid, 3, 2);
  // A failure of the program's own is told once, by its own message.
  ASSERT_EQ(desktop.box_texts().size(), 1u);
  EXPECT_EQ(desktop.box_texts().front(),
            "The server's page size is not known, so no estimate can be made. "
            "Connect again.");
  EXPECT_EQ(InfoRows(), 0);
  EXPECT_FALSE(desktop.waiting());
}

// The details follow the run that listed the table, not the options the
// user has changed since; a table the catalog no longer holds says so.
TEST_F(DetailsTest, DetailsUseTheSettingsOfTheRunThatListedTheTable) {
  app.settings.EstimatePageCompression = false;  // after the run
  app.settings.IgnoreTablesWithoutStats = true;
  ShowTableDetails(app.results_context(), app.models.results_grid, 1, 2);
  ASSERT_EQ(InfoRows(), 1);  // found, although the option would drop it
  EXPECT_EQ(InfoRow(1)[3], "51");  // the page saving of the run, not 55
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(server_.DatabasePath("shop").c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "DELETE FROM syscolumns WHERE tabid = 2", nullptr, nullptr,
               nullptr);
  sqlite3_close(db);
  desktop.ClearBoxes();
  ShowTableDetails(app.results_context(), app.models.results_grid, 1, 2);
  EXPECT_EQ(InfoRows(), 0);
  ASSERT_EQ(desktop.box_texts().size(), 1u);  // one message says it all
  EXPECT_NE(desktop.box_texts()[0].find("no longer lists the table o.nostats"),
            std::string::npos)
      << desktop.box_texts()[0];
  // A query the driver fails: its reason, then which table it was.
  ASSERT_EQ(sqlite3_open(server_.DatabasePath("shop").c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "DROP TABLE syscolumns", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  desktop.ClearBoxes();
  ShowTableDetails(app.results_context(), app.models.results_grid, 1, 2);
  ASSERT_EQ(desktop.box_texts().size(), 2u);
  EXPECT_EQ(desktop.box_texts()[1],
            "Error retrieving table informationnostats");
}

}  // namespace
}  // namespace tce
