// The run's record, the figures shown from it, and the grids as views of it.
#include "model/results_grid.h"
#include "model/figures.h"
#include "model/format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/details.h"

namespace tce {
namespace {

constexpr Shown kPages{Method::kPage, SizeUnit::kPages};

// A table of `pages` pages that saves `pct` by page compression and 10
// points more by row compression.
TableRecord Table(std::string owner, std::string table, double rows,
                  double pages, double pct, int page_size = 2048) {
  TableRecord t;
  t.owner = std::move(owner);
  t.table = std::move(table);
  t.row_count = Fixed4::FromDouble(rows);
  t.pages_used = Fixed4::FromDouble(pages);
  // Rows of 100 bytes compressed to 100 - pct (page) and 90 - pct (row).
  t.row_length = Fixed4::FromInt(100);
  t.compressed_length.page = Fixed4::FromDouble(100 - pct);
  t.compressed_length.row = Fixed4::FromDouble(90 - pct);
  t.page_size = page_size;
  return t;
}

// A run that listed every table.
std::shared_ptr<RunRecord> Results(std::vector<TableRecord> tables) {
  auto record = std::make_shared<RunRecord>();
  record->tables = std::move(tables);
  for (size_t i = 0; i < record->tables.size(); ++i)
    record->listed.push_back(static_cast<int32_t>(i));
  return record;
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
  const TableRecord t = Table("o", "t", 1320, 448, 73.2);
  EXPECT_EQ(GridCellText(t, kPages, 1), "o");
  EXPECT_EQ(GridCellText(t, kPages, 2), "t");
  EXPECT_EQ(GridCellText(t, kPages, 3), " 1320");
  EXPECT_EQ(GridCellText(t, kPages, 4), " 448");
  EXPECT_EQ(GridCellText(t, kPages, 5), " 120");
  EXPECT_EQ(GridCellText(t, kPages, 6), " 73");
  EXPECT_EQ(GridCellText(t, {Method::kRow, SizeUnit::kPages}, 6), " 83");
  EXPECT_EQ(GridCellText(t, kPages, 7), " 2048");
  EXPECT_EQ(GridCellText(Table("o", "t", -1, 0, 0), kPages, 3), "-1");
  EXPECT_EQ(GridCellText(Table("o", "t", 2.25, 0, 0), kPages, 3), " 2.25");
}

TEST(ResultsTest, SizesAreFlooredOnlyWhereTheyAreShown) {
  // Pages: the compressed share floored; a share that floors to nothing
  // shows as one page.
  EXPECT_EQ(ShownCompressed(Table("o", "t", 10, 1000, 37.5), kPages), 625);
  EXPECT_EQ(ShownCompressed(Table("o", "t", 10, 5, 99.99), kPages), 1);
  // Kilobytes: the row lengths times the rows.
  TableRecord t = Table("o", "t", 10240, 40, 50, 8192);
  t.compressed_length.row = Fixed4::FromDouble(39.95);
  const Shown kilobytes{Method::kRow, SizeUnit::kKilobytes};
  EXPECT_EQ(ShownSize(t, SizeUnit::kKilobytes), 1000);
  EXPECT_EQ(ShownCompressed(t, kilobytes), 399);
  // The record keeps bytes unfloored.
  EXPECT_EQ(EstimatedBytes(t), 40 * 8192);
  EXPECT_EQ(CompressedBytes(t, Method::kPage), 20 * 8192);
  EXPECT_DOUBLE_EQ(CompressedBytes(t, Method::kRow), 40 * 8192 * 0.3995);
  // Without statistics nothing is shown in either unit.
  const TableRecord none = Table("o", "t", 0, 40, 50);
  EXPECT_EQ(ShownSize(none, SizeUnit::kPages), 0);
  EXPECT_EQ(ShownCompressed(none, kilobytes), 0);
  EXPECT_EQ(EstimatedBytes(none), 0);
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
      Results({Table("b", "x", 10, 5, 40), Table("a", "y", -1, 0, 40),
               Table("B", "z", 10, 7, 10), Table("a", "w", 3, 5, 90)}));
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
  grid.Show(Results({Table("a", "1", 1, 5, 40), Table("a", "2", 1, 9, 40),
                     Table("a", "3", 1, 5, 40)}));
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
      {Table("a", "small", 1, 1, 10), Table("b", "large", 1, 9, 10)}));
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
  grid.Show(Results({Table("c", "new", 1, 1, 10)}));
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

TEST(ResultsGridTest, ShowsOnlyTheListedTables) {
  auto record = Results({Table("a", "1", 1, 5, 40), Table("a", "2", 1, 9, 10),
                         Table("a", "3", 1, 5, 40)});
  record->listed = {0, 2};
  ResultsGrid grid;
  grid.Show(record);
  EXPECT_EQ(Order(grid), "a.1 a.3");
  EXPECT_EQ(TotalsOf(*record).tables, 2u);
}

TEST(ResultsTest, TotalsAndBasesReadAsPeopleRead) {
  EXPECT_EQ(HumanBytes(0), "0 bytes");
  EXPECT_EQ(HumanBytes(1536), "1.5 K");
  EXPECT_EQ(HumanBytes(27.0 * 1024 * 1024 * 1024), "27.0 G");
  EXPECT_EQ(HumanBytes(3.0 * 1024 * 1024 * 1024 * 1024 * 1024), "3072 T");
  auto results = Results({Table("o", "a", 10, 100, 75, 8192),
                          Table("o", "b", -1, 0, 30, 8192)});
  const ResultTotals totals = TotalsOf(*results);
  EXPECT_EQ(totals.tables, 2u);
  EXPECT_EQ(totals.size_bytes, 819200);
  EXPECT_EQ(TotalsLine(totals),
            "2 tables listed: 800 K, 200 K compressed, 75 % saved");
  EXPECT_EQ(BasisText(ColumnBasis::kSampled, 2000, Fixed4::FromInt(1200000)),
            "sampled 2,000 of 1.2 M");
  EXPECT_EQ(BasisText(ColumnBasis::kFull, 0, Fixed4::FromInt(9)), "full");
  EXPECT_EQ(HumanCount(9500), "9,500");
  EXPECT_EQ(HumanCount(340000), "340 k");
  TableRecord table = Table("o", "t", 10, 1, 1);
  table.basis = {9, 3, 2};
  EXPECT_EQ(BasisSummary(table).substr(0, 51),
            "14 columns: 9 full, 3 sampled, 2 without a distribu");
  EXPECT_EQ(BasisSummary(Table("o", "t", 0, 0, 1)).rfind("No statistics", 0),
            0u);
}

}  // namespace
}  // namespace tce
