// The grids' mouse and the toolbar's keys.
#include <algorithm>

#include "actions/results_actions.h"

namespace tce {

void OnGridMouseUp(ResultsGrid& grid, int row, int col, int mouse_row) {
  if (mouse_row != 0) {
    if (col == 0) grid.ToggleMark(row);
    return;
  }
  if (col != 0) {
    grid.SortBy(col);
  } else {
    grid.MarkAll();
  }
}

ToolbarAction ToolbarActionOf(const std::string& key) {
  if (key == "graph") return ToolbarAction::kGraph;
  if (key == "clear") return ToolbarAction::kClear;
  if (key == "output") return ToolbarAction::kOutput;
  if (key == "magnify") return ToolbarAction::kMagnify;
  if (key == "plan") return ToolbarAction::kPlan;
  if (key == "report") return ToolbarAction::kReport;
  if (key == "history") return ToolbarAction::kHistory;
  if (key == "exit") return ToolbarAction::kExit;
  return ToolbarAction::kNone;
}

std::string SizeUnitSuffix(const MessageTable& messages, SizeUnit unit) {
  return unit == SizeUnit::kPages ? " " + messages[Msg::kPages] : " K";
}

SchemaListSize SchemaListResize(int height) {
  const int fixed_height = std::max(height, 2000);
  return {10000, fixed_height, fixed_height - 1000};
}

}  // namespace tce
