// The compression plan: for every table a run read, whether to compress it
// and with which method, and what that gives back. The run's record holds
// both methods' estimates, so the plan needs no new query; it is worked out
// again whenever its margin or threshold change.
//
// The rule, per table:
// - a table without statistics is "no statistics": never recommended;
// - otherwise the better method is page when its whole saving (as the
//   results grid shows it) is at least `margin` points above the row
//   saving, else row;
// - the table is recommended for the better method when that saving
//   reaches `threshold` percent, otherwise it is left as it is.
// A recommended table saves its size less its size compressed that way.
#ifndef TCE_MODEL_PLAN_H_
#define TCE_MODEL_PLAN_H_

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "model/figures.h"
#include "model/sort_state.h"
#include "model/run_record.h"

namespace tce {

enum class Recommendation : uint8_t { kPage, kRow, kLeave, kNoStatistics };
inline constexpr int kRecommendations = 4;
// "page", "row", "leave as is", "no statistics".
std::string_view RecommendationName(Recommendation recommendation);


// What the plan says of one table: the better method by the rule (row for
// a table without statistics), its exact saving, the recommendation, and
// the bytes carrying it out saves (SavedBytes by the better method; 0 when
// the table is left as it is). The plan window, the plan's outputs and the
// report read these; none works them out again.
struct PlanLine {
  Recommendation recommendation = Recommendation::kLeave;
  Method better = Method::kRow;
  Fixed4 better_pct;
  double saved_bytes = 0;
};

// A plan's Size is AllocatedBytes: the space every table takes, also one
// without statistics, so that the plan shows what those hold.
PlanLine PlanFor(const TableRecord& table, PlanRule rule);

// The tables of one recommendation in sum.
struct PlanGroup {
  int64_t tables = 0;
  double size_bytes = 0;
  double after_bytes = 0;  // the size once the plan is carried out
  double saved_bytes = 0;
};
using PlanTotals = std::array<PlanGroup, kRecommendations>;

// The plan of every table of `record` with `rule`: its lines (by table
// index) and their totals by recommendation.
PlanTotals PlanTables(const RunRecord& record, PlanRule rule,
                      std::vector<PlanLine>* lines);

// The plan of a run's tables, with its own row order (as a results grid's)
// for the plan window's list. Cheap to apply again: one pass over the
// tables.
class Plan {
 public:
  explicit Plan(std::shared_ptr<const RunRecord> record,
                PlanRule rule = PlanRule());

  // Works the plan out again with another rule, keeping the order's
  // column (sorted again by it).
  void Apply(PlanRule rule);
  PlanRule rule() const { return rule_; }

  const RunRecord& record() const { return *record_; }
  const std::vector<PlanLine>& lines() const { return lines_; }
  const PlanTotals& totals() const { return totals_; }

  // The list: rows 0 to Count()-1 in the current order.
  int Count() const { return static_cast<int>(order_.size()); }
  const TableRecord& Table(int row) const;
  const PlanLine& Line(int row) const;
  std::span<const int32_t> order() const { return order_; }

  // Sorts by a column of the plan list (model/grid_columns.h) as the
  // results grid does: names ascending by their bytes, numbers (and the
  // recommendation, in its order) descending; a second sort by the same
  // column reverses it. Stable.
  void SortBy(int column);
  int sort_column() const { return sort_.column; }
  bool sort_descending() const;

 private:
  void Sort();

  std::shared_ptr<const RunRecord> record_;
  PlanRule rule_;
  std::vector<PlanLine> lines_;  // by table index
  PlanTotals totals_{};
  std::vector<int32_t> order_;
  SortState sort_;
};

}  // namespace tce

#endif  // TCE_MODEL_PLAN_H_
