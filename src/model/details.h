// The per-column grid `TableInfo`: one line per column of the table last
// clicked, under a header that start-up writes and nothing removes.
#ifndef TCE_MODEL_DETAILS_H_
#define TCE_MODEL_DETAILS_H_

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/cardinality.h"
#include "engine/fixed4.h"

namespace tce {

struct ColumnDetail {
  std::string name;
  std::string type;
  int32_t bytes = 0;
  Fixed4 pct;
  ColumnBasis basis = ColumnBasis::kNone;
  uint64_t sample = 0;  // rows sampled, for kSampled
  Fixed4 rows;          // the table's rows
  std::string why;      // what the saving comes from, in words
};

class DetailsModel {
 public:
  // The four columns of the catalog's details and "Statistics".
  static constexpr int kColumns = 5;

  void SetHeader(int col, std::string text, int width_twips);
  const std::string& HeaderText(int col) const { return header_[col]; }
  int ColumnWidth(int col) const { return widths_[col]; }

  const std::vector<ColumnDetail>& lines() const { return lines_; }
  // The lines of a table, with how its whole estimate is made (`why`,
  // under the caption `why_caption`).
  void SetLines(std::vector<ColumnDetail> lines, std::string why_caption = {},
                std::string why = {});
  void Clear() { SetLines({}); }
  const std::string& why_caption() const { return why_caption_; }
  const std::string& why() const { return why_; }

  std::function<void()> on_change;  // redraw

 private:
  std::array<std::string, kColumns> header_{"", "", "", "", "Statistics"};
  std::array<int, kColumns> widths_{1300, 1150, 700, 700, 1500};
  std::vector<ColumnDetail> lines_;
  std::string why_caption_;
  std::string why_;
};

}  // namespace tce

#endif  // TCE_MODEL_DETAILS_H_
