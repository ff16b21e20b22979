#include "model/plan.h"

#include <algorithm>
#include <numeric>

#include "model/figures.h"
#include "model/grid_columns.h"

namespace tce {

std::string_view RecommendationName(Recommendation recommendation) {
  switch (recommendation) {
    case Recommendation::kPage:
      return "page";
    case Recommendation::kRow:
      return "row";
    case Recommendation::kLeave:
      return "leave as is";
    default:
      return "no statistics";
  }
}

PlanLine PlanFor(const TableRecord& table, PlanRule rule) {
  PlanLine line;
  if (!HasStatistics(table)) {
    line.recommendation = Recommendation::kNoStatistics;
    return line;
  }
  // The whole percentages the results grid shows, so that a reader can
  // check the rule by eye.
  const double row = SavedWholePct(table, Method::kRow);
  const double page = SavedWholePct(table, Method::kPage);
  line.better = page - row >= rule.margin ? Method::kPage : Method::kRow;
  line.better_pct = SavedPct(table, line.better);
  if ((line.better == Method::kPage ? page : row) < rule.threshold) {
    line.recommendation = Recommendation::kLeave;
    return line;
  }
  line.recommendation = line.better == Method::kPage ? Recommendation::kPage
                                                     : Recommendation::kRow;
  line.saved_bytes = SavedBytes(table, line.better);
  return line;
}

Plan::Plan(std::shared_ptr<const RunRecord> record, PlanRule rule)
    : record_(record ? std::move(record) : std::make_shared<RunRecord>()) {
  order_.resize(record_->tables.size());
  std::iota(order_.begin(), order_.end(), 0);
  Apply(rule);
}

PlanTotals PlanTables(const RunRecord& record, PlanRule rule,
                      std::vector<PlanLine>* lines) {
  lines->resize(record.tables.size());
  PlanTotals totals{};
  for (size_t i = 0; i < lines->size(); ++i) {
    const TableRecord& table = record.tables[i];
    const PlanLine line = PlanFor(table, rule);
    (*lines)[i] = line;
    PlanGroup& group = totals[static_cast<size_t>(line.recommendation)];
    const double size = AllocatedBytes(table);
    ++group.tables;
    group.size_bytes += size;
    group.saved_bytes += line.saved_bytes;
    group.after_bytes += size - line.saved_bytes;
  }
  return totals;
}

void Plan::Apply(PlanRule rule) {
  rule_ = rule;
  totals_ = PlanTables(*record_, rule, &lines_);
  Sort();  // the figures changed
}

const TableRecord& Plan::Table(int row) const {
  return record_->tables[static_cast<size_t>(order_[static_cast<size_t>(row)])];
}

const PlanLine& Plan::Line(int row) const {
  return lines_[static_cast<size_t>(order_[static_cast<size_t>(row)])];
}

void Plan::SortBy(int column) {
  if (column < 0 || column >= static_cast<int>(PlanColumns().size())) return;
  sort_.SortBy(column);
  Sort();
}

bool Plan::sort_descending() const {
  if (sort_.column < 0) return false;
  return sort_.Descending(PlanColumns()[static_cast<size_t>(sort_.column)].kind);
}

void Plan::Sort() {
  if (sort_.column < 0) return;
  const std::vector<TableRecord>& tables = record_->tables;
  const std::vector<size_t> positions = SortedPositions(
      order_.size(), PlanColumns()[static_cast<size_t>(sort_.column)],
      PlanView(), sort_.reversed, [&](size_t i) {
        const size_t table = static_cast<size_t>(order_[i]);
        return PlanRow{tables[table], lines_[table]};
      });
  std::vector<int32_t> order(order_.size());
  for (size_t i = 0; i < positions.size(); ++i) order[i] = order_[positions[i]];
  order_ = std::move(order);
}

}  // namespace tce
