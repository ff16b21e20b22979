#include "model/plan.h"
#include "model/figures.h"

#include <algorithm>
#include <numeric>

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

void Plan::Apply(PlanRule rule) {
  rule_ = rule;
  lines_.resize(record_->tables.size());
  totals_ = {};
  for (size_t i = 0; i < lines_.size(); ++i) {
    const TableRecord& table = record_->tables[i];
    const PlanLine line = PlanFor(table, rule);
    lines_[i] = line;
    PlanGroup& group = totals_[static_cast<size_t>(line.recommendation)];
    const double size = AllocatedBytes(table);
    ++group.tables;
    group.size_bytes += size;
    group.saved_bytes += line.saved_bytes;
    group.after_bytes += size - line.saved_bytes;
  }
  if (sort_column_ >= kRowSaving) Sort();  // the figures changed
}

const TableRecord& Plan::Table(int row) const {
  return record_->tables[static_cast<size_t>(order_[static_cast<size_t>(row)])];
}

const PlanLine& Plan::Line(int row) const {
  return lines_[static_cast<size_t>(order_[static_cast<size_t>(row)])];
}

void Plan::SortBy(int column) {
  if (column < 0 || column >= kColumns) return;
  const bool descending_first = column >= kRows;
  sort_descending_ =
      sort_column_ == column ? !sort_descending_ : descending_first;
  sort_column_ = column;
  Sort();
}

void Plan::Sort() {
  const std::vector<TableRecord>& tables = record_->tables;
  auto number = [&](int32_t i) -> double {
    const TableRecord& table = tables[static_cast<size_t>(i)];
    const PlanLine& line = lines_[static_cast<size_t>(i)];
    switch (sort_column_) {
      case kRows:
        return table.row_count.ToDouble();
      case kSize:
        return AllocatedBytes(table);
      case kRowSaving:
        return SavedWholePct(table, Method::kRow);
      case kPageSaving:
        return SavedWholePct(table, Method::kPage);
      case kAdvice:  // page first, then row, leave, no statistics
        return -static_cast<double>(line.recommendation);
      default:
        return line.saved_bytes;
    }
  };
  auto less = [&](int32_t a, int32_t b) {
    if (sort_column_ <= kTable) {
      const TableRecord& x = tables[static_cast<size_t>(a)];
      const TableRecord& y = tables[static_cast<size_t>(b)];
      const std::string& p = sort_column_ == kOwner ? x.owner : x.table;
      const std::string& q = sort_column_ == kOwner ? y.owner : y.table;
      return sort_descending_ ? q < p : p < q;
    }
    return sort_descending_ ? number(a) > number(b) : number(a) < number(b);
  };
  std::stable_sort(order_.begin(), order_.end(), less);
}

}  // namespace tce
