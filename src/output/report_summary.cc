#include "output/report_summary.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "model/figures.h"

namespace tce {
namespace {

// A table of a run without a plan: as the run lists it.
ReportTable Listed(const RunRecord& record, const TableRecord& t) {
  const Shown shown = record.shown();
  return {&record, &t, HasStatistics(t), ShownSizeBytes(t, shown.unit),
          ShownCompressedBytes(t, shown), SavedWholePct(t, shown.method)};
}

// A table of a plan: what its recommendation saves of its allocated bytes.
ReportTable Planned(const RunRecord& record, const TableRecord& t,
                    const PlanLine& line) {
  ReportTable table{&record, &t, HasStatistics(t), 0, 0, 0};
  if (!table.estimated) return table;
  table.size = AllocatedBytes(t);
  table.compressed = table.size - line.saved_bytes;
  table.saved_pct =
      table.size > 0 ? std::floor(line.saved_bytes * 100.0 / table.size) : 0;
  return table;
}

// Every table the report counts of one record: the listed ones, or with a
// plan every table read; and the database's sums.
std::vector<ReportTable> TablesOf(const RunRecord& record, Sums& sums,
                                  PlanTotals& plan_totals) {
  std::vector<ReportTable> tables;
  if (!record.plan) {
    for (size_t i = 0; i < record.listed.size(); ++i)
      tables.push_back(Listed(record, record.Listed(i)));
    const ResultTotals totals = TotalsOf(record);
    sums = {totals.tables, totals.size_bytes, totals.compressed_bytes};
    return tables;
  }
  // The plan's own totals: every table, sized by what it holds.
  std::vector<PlanLine> lines;
  const PlanTotals totals = PlanTables(record, *record.plan, &lines);
  for (size_t i = 0; i < record.tables.size(); ++i)
    tables.push_back(Planned(record, record.tables[i], lines[i]));
  sums = {};
  for (int i = 0; i < kRecommendations; ++i) {
    const PlanGroup& group = totals[static_cast<size_t>(i)];
    PlanGroup& all = plan_totals[static_cast<size_t>(i)];
    all.tables += group.tables;
    all.size_bytes += group.size_bytes;
    all.after_bytes += group.after_bytes;
    all.saved_bytes += group.saved_bytes;
    sums.tables += static_cast<size_t>(group.tables);
    if (static_cast<Recommendation>(i) == Recommendation::kNoStatistics) continue;
    sums.size += group.size_bytes;
    sums.compressed += group.size_bytes - group.saved_bytes;
  }
  return tables;
}

void AddTable(const ReportTable& t, const std::string& owner_key,
              ReportSummary& s, std::map<std::string, size_t>& owners) {
  auto [at, added] = owners.emplace(owner_key, s.by_owner.size());
  if (added) s.by_owner.push_back({owner_key, Sums()});
  Sums& owner = s.by_owner[at->second].second;
  ++owner.tables;
  (t.estimated ? s.ranked : s.unestimated).push_back(t);
  const StatisticsBasis& b = t.table->basis;
  s.basis.full += b.full;
  s.basis.sampled += b.sampled;
  s.basis.none += b.none;
  if (!t.estimated) return;
  owner.size += t.size;
  owner.compressed += t.compressed;
  if (b.none > 0) {
    s.resting_on_none += t.size;
  } else if (b.sampled > 0) {
    s.resting_on_samples += t.size;
  }
}

template <typename T>
void AddOnce(std::vector<T>& list, const T& item) {
  if (std::find(list.begin(), list.end(), item) == list.end())
    list.push_back(item);
}

void NoteRun(const RunRecord& record, ReportSummary& s) {
  AddOnce(s.servers, record.server);
  if (!record.failure.empty()) return;
  if (record.plan) AddOnce(s.rules, *record.plan);
  if (!s.any_run || record.started < s.first_start) s.first_start = record.started;
  if (!s.any_run || record.ended > s.last_end) s.last_end = record.ended;
  s.any_run = true;
}

}  // namespace

double Sums::saved_pct() const {
  return size > 0 ? (size - compressed) * 100.0 / size : 0;
}

void Sums::Add(const Sums& other) {
  tables += other.tables;
  size += other.size;
  compressed += other.compressed;
}

std::string DatabaseLabel(const RunRecord& record, bool several_servers) {
  std::string name = record.database.substr(record.database.rfind('/') + 1);
  if (name.size() > 3 && name.compare(name.size() - 3, 3, ".db") == 0)
    name.resize(name.size() - 3);
  if (several_servers) {
    name += " (" + (record.server.name.empty() ? record.server.host
                                               : record.server.name) + ")";
  }
  return name;
}

ReportSummary Summarize(const Records& records) {
  ReportSummary s;
  for (const auto& record : records) NoteRun(*record, s);
  const bool several = s.servers.size() > 1;
  std::map<std::string, size_t> owners;
  for (const auto& record : records) {
    if (!record->failure.empty()) {
      ++s.failed;
      continue;
    }
    Sums sums;
    const std::vector<ReportTable> tables = TablesOf(*record, sums, s.plan);
    const std::string label = DatabaseLabel(*record, several);
    s.all.Add(sums);
    s.by_database.push_back({label, sums});
    for (const ReportTable& table : tables)
      AddTable(table, label + " / " + table.table->owner, s, owners);
  }
  std::stable_sort(s.by_owner.begin(), s.by_owner.end(),
                   [](const Named& a, const Named& b) {
                     return a.second.saved() > b.second.saved();
                   });
  const size_t top = std::min<size_t>(s.ranked.size(), 25);
  std::stable_sort(s.ranked.begin(), s.ranked.end(),
                   [](const ReportTable& a, const ReportTable& b) {
                     return a.size - a.compressed > b.size - b.compressed;
                   });
  s.ranked.resize(top);
  return s;
}

}  // namespace tce
