#include "history/changes.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "model/figures.h"

namespace tce {
namespace {

bool Recommended(Recommendation r) {
  return r == Recommendation::kPage || r == Recommendation::kRow;
}

// The share in percent by which the pages fell, when the table's rows
// stayed within 10 % (and it had statistics before); else nothing.
std::optional<double> PagesFellAtSteadyRows(const TableRecord& before,
                                            const TableRecord& now) {
  const double rows = before.row_count.ToDouble();
  const double pages = before.pages_used.ToDouble();
  if (!HasStatistics(before) || pages <= 0) return std::nullopt;
  if (std::fabs(now.row_count.ToDouble() - rows) > rows * 0.1) return std::nullopt;
  return (pages - now.pages_used.ToDouble()) * 100 / pages;
}

uint32_t Direction(double before, double now, uint32_t up, uint32_t down) {
  return now > before ? up : now < before ? down : 0;
}

void CompareTable(TableChange& c, PlanRule rule) {
  const TableRecord& b = *c.before;
  const TableRecord& n = *c.now;
  c.kinds |= Direction(c.size_before, c.size_now, kChangeGrown, kChangeShrunk);
  c.kinds |= Direction(b.row_count.ToDouble(), n.row_count.ToDouble(),
                       kChangeRowsUp, kChangeRowsDown);
  c.kinds |= Direction(c.saved_before.ToDouble(), c.saved_now.ToDouble(),
                       kChangeSavingUp, kChangeSavingDown);
  const PlanLine then = PlanFor(b, rule);
  const bool was = Recommended(c.recommended_before);
  const bool is = Recommended(c.recommended_now);
  if (!was && is) c.kinds |= kChangeNewlyRecommended;
  if (was && !is) c.kinds |= kChangeNoLongerRecommended;
  if (was && is && c.recommended_before != c.recommended_now)
    c.kinds |= kChangeMethod;
  const std::optional<double> fell = PagesFellAtSteadyRows(b, n);
  if (fell && *fell >= rule.threshold) {
    c.kinds |= kChangeCompressed;
    c.estimated_method = then.better;
    c.estimated_pct = then.better_pct;
    c.pages_fell_pct = Fixed4::FromDouble(*fell);
  }
}

TableChange Side(const TableRecord* before, const TableRecord* now,
                 Method method, PlanRule rule) {
  TableChange c;
  c.before = before;
  c.now = now;
  if (before != nullptr) {
    c.size_before = AllocatedBytes(*before);
    c.saved_before = SavedPct(*before, method);
    c.recommended_before = PlanFor(*before, rule).recommendation;
  }
  if (now != nullptr) {
    c.size_now = AllocatedBytes(*now);
    c.saved_now = SavedPct(*now, method);
    c.recommended_now = PlanFor(*now, rule).recommendation;
  }
  return c;
}

std::string Flag(bool on) { return on ? "true" : "false"; }

// A run's plan rule in words: "none" without a plan.
std::string PlanText(const std::optional<PlanRule>& plan) {
  if (!plan) return "none";
  return "margin " + std::to_string(plan->margin) + ", threshold " +
         std::to_string(plan->threshold);
}

std::vector<SettingChange> SettingChanges(const RunRecord& before,
                                          const RunRecord& now) {
  const RunSettings& b = before.settings;
  const RunSettings& n = now.settings;
  const SettingChange all[] = {
      {"min_compression", std::to_string(b.MinCompressionPct),
       std::to_string(n.MinCompressionPct)},
      {"min_size_mb", std::to_string(b.MinTableSizeMB),
       std::to_string(n.MinTableSizeMB)},
      {"ignore_tables_without_statistics", Flag(b.IgnoreTablesWithoutStats),
       Flag(n.IgnoreTablesWithoutStats)},
      {"cardinality", b.UseMaxCardinality ? "max" : "column",
       n.UseMaxCardinality ? "max" : "column"},
      {"compression", b.EstimatePageCompression ? "page" : "row",
       n.EstimatePageCompression ? "page" : "row"},
      {"unit", b.ShowPageSavings ? "pages" : "kilobytes",
       n.ShowPageSavings ? "pages" : "kilobytes"},
      {"owners", b.OwnerFilter, n.OwnerFilter},
      {"tables", b.TableFilter, n.TableFilter},
      {"delimiter", b.TabDelimited ? "tab" : "comma",
       n.TabDelimited ? "tab" : "comma"},
      {"plan", PlanText(before.plan), PlanText(now.plan)}};
  std::vector<SettingChange> changed;
  for (const SettingChange& setting : all) {
    if (setting.before != setting.now) changed.push_back(setting);
  }
  return changed;
}

}  // namespace

const char* ChangeKindWord(int bit) {
  static constexpr const char* kWords[kChangeKinds] = {
      "new",        "gone",        "grown",
      "shrunk",     "rows_up",     "rows_down",
      "saving_up",  "saving_down", "newly_recommended",
      "no_longer_recommended", "method_changed", "compressed"};
  return bit >= 0 && bit < kChangeKinds ? kWords[bit] : "";
}

std::string ChangeWords(uint32_t kinds) {
  std::string words;
  for (int bit = 0; bit < kChangeKinds; ++bit) {
    if ((kinds & (1u << bit)) == 0) continue;
    if (!words.empty()) words += ' ';
    words += ChangeKindWord(bit);
  }
  return words;
}

// Whether two runs chose the tables they read alike.
bool SameChoice(const RunSettings& a, const RunSettings& b) {
  return a.OwnerFilter == b.OwnerFilter && a.TableFilter == b.TableFilter &&
         a.MinTableSizeMB == b.MinTableSizeMB &&
         a.IgnoreTablesWithoutStats == b.IgnoreTablesWithoutStats;
}

Changes CompareRuns(std::shared_ptr<const RunRecord> before,
                    std::shared_ptr<const RunRecord> now, PlanRule rule) {
  Changes changes;
  changes.before = before;
  changes.now = now;
  changes.rule = rule;
  const Method method = now->shown().method;
  const bool same_choice = SameChoice(before->settings, now->settings);
  const auto key = [](const TableRecord& t) { return t.owner + '\0' + t.table; };
  std::unordered_map<std::string, const TableRecord*> earlier;
  earlier.reserve(before->tables.size());
  for (const TableRecord& t : before->tables) earlier.emplace(key(t), &t);
  for (const TableRecord& t : now->tables) {
    const auto found = earlier.find(key(t));
    TableChange c = Side(found == earlier.end() ? nullptr : found->second, &t,
                         method, rule);
    if (c.before == nullptr && !same_choice) {
      ++changes.one_choice_only;
      continue;
    }
    if (c.before == nullptr) {
      c.kinds = kChangeNew;
    } else {
      CompareTable(c, rule);
      found->second = nullptr;  // matched: not gone
    }
    if (c.kinds != 0) changes.tables.push_back(c);
  }
  for (const TableRecord& t : before->tables) {
    const auto found = earlier.find(key(t));
    if (found == earlier.end() || found->second == nullptr) continue;
    found->second = nullptr;  // a name the earlier run read twice goes once
    if (!same_choice) {
      ++changes.one_choice_only;
      continue;
    }
    TableChange c = Side(&t, nullptr, method, rule);
    c.kinds = kChangeGone;
    changes.tables.push_back(c);
  }
  std::stable_sort(changes.tables.begin(), changes.tables.end(),
                   [](const TableChange& a, const TableChange& b) {
                     const double x = std::fabs(a.size_change());
                     const double y = std::fabs(b.size_change());
                     if (x != y) return x > y;
                     if (a.owner() != b.owner()) return a.owner() < b.owner();
                     return a.table() < b.table();
                   });
  for (const TableChange& c : changes.tables) {
    for (int bit = 0; bit < kChangeKinds; ++bit)
      changes.counts[bit] += (c.kinds >> bit) & 1u;
  }
  changes.settings = SettingChanges(*before, *now);
  changes.totals_before = TotalsOfRun(*before);
  changes.totals_now = TotalsOfRun(*now);
  return changes;
}

}  // namespace tce
