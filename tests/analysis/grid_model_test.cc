#include "model/grid_model.h"

#include <gtest/gtest.h>

namespace tce {
namespace {

struct Recorder : GridObserver {
  void GridReset() override { events.push_back("reset"); }
  void GridRowsAppended(int first, int count) override {
    events.push_back("append " + std::to_string(first) + "+" +
                     std::to_string(count));
  }
  void GridRowsChanged(int first, int last) override {
    events.push_back("change " + std::to_string(first) + "-" +
                     std::to_string(last));
  }
  std::vector<std::string> events;
};

TEST(GridModelTest, RowsAreTabSeparatedLines) {
  GridModel grid(4, 1, 0);
  grid.AddItem("a\tb\tc\td\textra");
  grid.AddItem("short");
  grid.AddItem("first", 0);
  EXPECT_EQ(grid.Rows(), 4);
  EXPECT_EQ(grid.Text(0, 0), "first");
  EXPECT_EQ(grid.Text(2, 3), "d");
  EXPECT_EQ(grid.Text(3, 0), "short");
  EXPECT_EQ(grid.Text(3, 1), "");
  EXPECT_EQ(grid.Text(9, 9), "");  // outside: empty, no crash
  EXPECT_TRUE(grid.RemoveItem(1));
  EXPECT_FALSE(grid.RemoveItem(7));
  EXPECT_EQ(grid.Rows(), 3);
}

TEST(GridModelTest, FormatsApplyToTheCurrentCellAndMoveWithRows) {
  GridModel grid(2, 0, 0);
  grid.AddItem("x\t1");
  grid.AddItem("y\t2");
  grid.SetRow(1);
  grid.SetCol(1);
  grid.SetCellBackColor(CellColour::Rgb(0, 255, 0));
  grid.SetCellFontName("Wingdings");
  grid.ReorderRows(0, {1, 0});
  EXPECT_EQ(grid.Text(0, 0), "y");
  EXPECT_EQ(grid.CellAt(0, 1).background, CellColour::Rgb(0, 255, 0));
  EXPECT_EQ(grid.CellAt(0, 1).font, "Wingdings");
  EXPECT_EQ(grid.CellAt(1, 1).background, CellColour());
}

TEST(GridModelTest, ObserversSeeAppendsChangesAndOneResetPerBatch) {
  GridModel grid(2, 1, 1);
  Recorder recorder;
  grid.AddObserver(&recorder);
  grid.AddItem("a");
  grid.SetText(1, 1, "b");
  grid.BeginBatch();
  for (int i = 0; i < 100; ++i) grid.AddItem("row");
  grid.SetVisible(false);
  grid.EndBatch();
  EXPECT_EQ(recorder.events,
            (std::vector<std::string>{"append 1+1", "change 1-1", "reset"}));
  grid.RemoveObserver(&recorder);
  grid.AddItem("quiet");
  EXPECT_EQ(recorder.events.size(), 3u);
}

}  // namespace
}  // namespace tce
