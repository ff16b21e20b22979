#include "model/details.h"


namespace tce {

void DetailsModel::SetHeader(int col, std::string text, int width_twips) {
  if (col < 0 || col >= kColumns) return;
  header_[col] = std::move(text);
  widths_[col] = width_twips;
  if (on_change) on_change();
}

void DetailsModel::SetLines(std::vector<ColumnDetail> lines,
                            std::string why_caption, std::string why) {
  lines_ = std::move(lines);
  why_caption_ = std::move(why_caption);
  why_ = std::move(why);
  if (on_change) on_change();
}

}  // namespace tce
