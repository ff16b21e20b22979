// The results as values and the grids as views of them.
#include "model/results.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/details.h"

namespace tce {
namespace {

TableEstimate Table(std::string owner, std::string table, double rows,
                    double size, double compressed, double pct,
                    int page_size = 2048) {
  TableEstimate t;
  t.owner = std::move(owner);
  t.table = std::move(table);
  t.row_count = Fixed4::FromDouble(rows);
  t.size = size;
  t.compressed = compressed;
  t.pct = Fixed4::FromDouble(pct);
  t.page_size = page_size;
  return t;
}

std::shared_ptr<ResultSet> Results(std::vector<TableEstimate> tables) {
  auto results = std::make_shared<ResultSet>();
  results->tables = std::move(tables);
  return results;
}

// The tables of a grid as "owner.table", in view order.
std::string Order(const ResultsGrid& grid) {
  std::string order;
  for (int row = 1; row <= grid.RowCount(); ++row) {
    if (row > 1) order += " ";
    order += grid.Row(row).owner + "." + grid.Row(row).table;
  }
  return order;
}

struct Recorder : ResultsGridObserver {
  void GridReset() override { events.push_back("reset"); }
  void MarksChanged(int first, int last) override {
    events.push_back("marks " + std::to_string(first) + "-" +
                     std::to_string(last));
  }
  std::vector<std::string> events;
};

TEST(ResultsTest, CellTextsAsTheGridShowsThem) {
  const TableEstimate t = Table("o", "t", 1320, 448, 120, 73.25);
  EXPECT_EQ(GridCellText(t, 1), "o");
  EXPECT_EQ(GridCellText(t, 2), "t");
  EXPECT_EQ(GridCellText(t, 3), " 1320");
  EXPECT_EQ(GridCellText(t, 4), " 448");
  EXPECT_EQ(GridCellText(t, 5), " 120");
  EXPECT_EQ(GridCellText(t, 6), " 73");
  EXPECT_EQ(GridCellText(t, 7), " 2048");
  EXPECT_EQ(GridCellText(Table("o", "t", -1, 0, 0, -0.5), 3), "-1");
  EXPECT_EQ(GridCellText(Table("o", "t", 0.5, 0, 0, -0.5), 6), "-1");
  EXPECT_EQ(GridCellText(Table("o", "t", 2.25, 0, 0, 0), 3), " 2.25");
}

TEST(ResultsTest, HeadersFollowTheResultsUnit) {
  MessageTable messages;
  messages.LoadBuiltInTexts();
  EXPECT_EQ(ResultsHeaderLine(messages, SizeUnit::kPages, "\t", true),
            "\tSchema\tTable\tCount\tPages\tComp Pages\t%Saved\tPage Size");
  EXPECT_EQ(ResultsHeaderLine(messages, SizeUnit::kKilobytes, ",", false),
            "Schema,Table,Count,Size(K),Comp(K),%Saved,Page Size");
}

TEST(ResultsGridTest, SortsNamesUpByBytesAndNumbersDownStably) {
  ResultsGrid grid;
  grid.Show(
      Results({Table("b", "x", 10, 5, 1, 40), Table("a", "y", -1, 0, 0, 40),
               Table("B", "z", 10, 7, 1, 10), Table("a", "w", 3, 5, 1, 90)}));
  EXPECT_EQ(Order(grid), "b.x a.y B.z a.w");
  grid.SortBy(1);  // case counts: "B" before "a"
  EXPECT_EQ(Order(grid), "B.z a.y a.w b.x");
  grid.SortBy(6);  // largest saving first; equal savings keep their order
  EXPECT_EQ(Order(grid), "a.w a.y b.x B.z");
  EXPECT_EQ(grid.sort_column(), 6);
  EXPECT_TRUE(grid.sort_descending());
  grid.SortBy(3);  // tables without statistics last
  EXPECT_EQ(Order(grid), "b.x B.z a.w a.y");
}

TEST(ResultsGridTest, ASecondSortByTheSameColumnReversesIt) {
  ResultsGrid grid;
  grid.Show(Results({Table("a", "1", 1, 5, 1, 40), Table("a", "2", 1, 9, 1, 40),
                     Table("a", "3", 1, 5, 1, 40)}));
  grid.SortBy(4);
  EXPECT_EQ(Order(grid), "a.2 a.1 a.3");
  grid.SortBy(4);
  EXPECT_EQ(Order(grid), "a.1 a.3 a.2");  // still stable among equals
  EXPECT_FALSE(grid.sort_descending());
  grid.SortBy(2);
  EXPECT_FALSE(grid.sort_descending());  // a new column starts its own way
  grid.SortBy(2);
  EXPECT_EQ(Order(grid), "a.3 a.2 a.1");
}

TEST(ResultsGridTest, MarksTravelWithTheirRows) {
  ResultsGrid grid;
  Recorder recorder;
  grid.AddObserver(&recorder);
  grid.Show(Results(
      {Table("a", "small", 1, 1, 1, 10), Table("b", "large", 1, 9, 1, 10)}));
  grid.ToggleMark(1);
  EXPECT_TRUE(grid.Marked(1));
  grid.SortBy(4);
  EXPECT_EQ(grid.Row(2).table, "small");
  EXPECT_TRUE(grid.Marked(2));
  EXPECT_FALSE(grid.Marked(1));
  grid.MarkAll();
  grid.MarkAll();  // never unmarks
  EXPECT_TRUE(grid.Marked(1) && grid.Marked(2));
  grid.ClearMarks();
  EXPECT_FALSE(grid.Marked(1) || grid.Marked(2));
  grid.ToggleMark(0);  // the header: nothing
  grid.ToggleMark(3);  // past the end: nothing
  EXPECT_EQ(recorder.events,
            (std::vector<std::string>{"reset", "marks 1-1", "reset",
                                      "marks 1-2", "marks 1-2", "marks 1-2"}));
  // A new result starts unmarked, in the run's order.
  grid.Show(Results({Table("c", "new", 1, 1, 1, 10)}));
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_FALSE(grid.Marked(1));
  EXPECT_EQ(grid.sort_column(), 0);
  grid.RemoveObserver(&recorder);
}

TEST(ResultsGridTest, AnEmptyGridTakesEveryActionQuietly) {
  ResultsGrid grid;
  EXPECT_EQ(grid.RowCount(), 0);
  grid.MarkAll();
  grid.ClearMarks();
  grid.SortBy(3);
  grid.SortBy(0);
  grid.SortBy(8);
  EXPECT_FALSE(grid.Marked(1));
  grid.Show(nullptr);
  EXPECT_EQ(grid.RowCount(), 0);
}

TEST(ResultsTest, SizesInBytesFromTheUnit) {
  const TableEstimate t = Table("o", "t", 1, 10, 4, 60, 8192);
  EXPECT_EQ(SizeInBytes(t, SizeUnit::kPages), 81920);
  EXPECT_EQ(CompressedInBytes(t, SizeUnit::kPages), 32768);
  EXPECT_EQ(SizeInBytes(t, SizeUnit::kKilobytes), 10240);
}

TEST(ResultsTest, TotalsAndBasesReadAsPeopleRead) {
  EXPECT_EQ(HumanBytes(0), "0 bytes");
  EXPECT_EQ(HumanBytes(1536), "1.5 kB");
  EXPECT_EQ(HumanBytes(27.0 * 1024 * 1024 * 1024), "27.0 GB");
  EXPECT_EQ(HumanBytes(3.0 * 1024 * 1024 * 1024 * 1024 * 1024), "3072 TB");
  auto results = Results({Table("o", "a", 10, 100, 25, 75, 8192),
                          Table("o", "b", -1, 0, 0, 30, 8192)});
  const ResultTotals totals = TotalsOf(*results);
  EXPECT_EQ(totals.tables, 2u);
  EXPECT_EQ(totals.size_bytes, 819200);
  EXPECT_EQ(TotalsLine(totals),
            "2 tables listed: 800 kB, 200 kB compressed, 75 % saved");
  EXPECT_EQ(BasisText(ColumnBasis::kSampled, 2000, Fixed4::FromInt(1200000)),
            "sampled 2,000 of 1.2 M");
  EXPECT_EQ(BasisText(ColumnBasis::kFull, 0, Fixed4::FromInt(9)), "full");
  EXPECT_EQ(HumanCount(9500), "9,500");
  EXPECT_EQ(HumanCount(340000), "340 k");
  TableEstimate table = Table("o", "t", 10, 1, 1, 1);
  table.basis = {14, 9, 3, 2};
  EXPECT_EQ(BasisSummary(table).substr(0, 51),
            "14 columns: 9 full, 3 sampled, 2 without a distribu");
  EXPECT_EQ(BasisSummary(Table("o", "t", 0, 0, 0, 1)).rfind("No statistics", 0),
            0u);
}

}  // namespace
}  // namespace tce
