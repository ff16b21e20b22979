// The small presentation models beside the grids: the chart with its
// caption, and the progress bar with its "Records: " text. Each tells one
// listener (the Qt layer) to repaint when it changes.
#ifndef TCE_MODEL_VIEWS_H_
#define TCE_MODEL_VIEWS_H_

#include <functional>
#include <string>

namespace tce {

// The two-bar chart `Chart` and its caption label `TableNameGraph`.
struct ChartModel {
  bool visible = false;
  std::string caption;
  std::string size_label;
  double size_value = 0;
  std::string compressed_label;
  double compressed_value = 0;
  std::function<void()> on_change;  // redraw

  void Changed() const {
    if (on_change) on_change();
  }
};

// `ProgressBar` (0 to 100) and `ProgressText`.
struct ProgressModel {
  int value = 0;
  std::string text;
  std::function<void()> on_change;  // repaint at once

  void Set(int new_value, std::string new_text) {
    value = new_value;
    text = std::move(new_text);
    if (on_change) on_change();
  }
};

}  // namespace tce

#endif  // TCE_MODEL_VIEWS_H_
