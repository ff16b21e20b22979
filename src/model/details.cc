#include "model/details.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/number_text.h"

namespace tce {

std::string Grouped(uint64_t count) {
  std::string digits = std::to_string(count);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<size_t>(at), ",");
  }
  return digits;
}

std::string HumanCount(double count) {
  if (!std::isfinite(count) || count < 0) return "0";
  if (count < 10000) return Grouped(static_cast<uint64_t>(count));
  return ScaledWithUnit(count, 1000.0, {"k", "M", "G", "T", "P"});
}

std::string BasisText(ColumnBasis basis, uint64_t sample, Fixed4 rows) {
  switch (basis) {
    case ColumnBasis::kFull:
      return "full";
    case ColumnBasis::kSampled:
      return "sampled " + Grouped(sample) + " of " +
             HumanCount(rows.ToDouble());
    default:
      return "none";
  }
}

std::string BasisExplanation(ColumnBasis basis, uint64_t sample, Fixed4 rows) {
  switch (basis) {
    case ColumnBasis::kFull:
      return "The distribution was built from all rows: the number of "
             "distinct values is exact.";
    case ColumnBasis::kSampled:
      return "The distribution was built from a sample of " + Grouped(sample) +
             " of " +
             Grouped(static_cast<uint64_t>(std::max(0.0, rows.ToDouble()))) +
             " rows: the number of distinct values is estimated from it.";
    default:
      return "No distribution that can be read: every row is taken as "
             "distinct, the cautious case, so the saving shown may be too "
             "low. Updating the column's statistics gives a better estimate.";
  }
}

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
