// The report's sections after its totals.
#include <algorithm>

#include "base/number_text.h"
#include "model/figures.h"
#include "model/format.h"
#include "output/report.h"
#include "output/report_parts.h"

namespace tce {
namespace {

std::string Count(size_t count) {
  return FormatNumber(static_cast<int64_t>(count));
}

std::string SumsRow(const std::string& name, const Sums& s,
                    const char* row_class = nullptr) {
  return std::string("<tr") +
         (row_class ? std::string(" class=\"") + row_class + "\"" : "") +
         "><td>" + Html(name) + "</td>" + NumberCell(Count(s.tables)) +
         BytesCell(s.size) + BytesCell(s.compressed) + BytesCell(s.saved()) +
         NumberCell(PercentText(s.saved_pct())) + "</tr>";
}

// The parts' sums, the first `limit` alone and the rest in one line.
std::string SumsTable(const std::string& first, const std::vector<Named>& parts,
                      size_t limit, const MessageTable& m) {
  std::string html =
      "<table>" + HeadRow({first, m[Msg::kReportTables], m[Msg::kReportSize],
                           m[Msg::kReportCompressed], m[Msg::kReportSaved],
                           m[Msg::kReportSavedPct]}) + "<tbody>";
  Sums rest;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i < limit) {
      html += SumsRow(parts[i].first, parts[i].second);
    } else {
      rest.Add(parts[i].second);
    }
  }
  if (parts.size() > limit) {
    html += SumsRow(Fill(m[Msg::kReportMore], {Count(parts.size() - limit)}),
                    rest, "rest");
  }
  return html + "</tbody></table>\n";
}

std::string PlanSection(const PlanTotals& plan, const MessageTable& m) {
  static constexpr Msg kNames[kRecommendations] = {
      Msg::kPlanPage, Msg::kPlanRow, Msg::kPlanLeave, Msg::kPlanNoStatistics};
  std::string html =
      "<table>" + HeadRow({m[Msg::kReportRecommendation], m[Msg::kReportTables],
                           m[Msg::kReportSizeNow], m[Msg::kReportAfter],
                           m[Msg::kReportSaved]}) + "<tbody>";
  for (size_t i = 0; i < plan.size(); ++i) {
    const PlanGroup& g = plan[i];
    html += "<tr><td>" + Html(m[kNames[i]]) + "</td>" +
            NumberCell(FormatNumber(g.tables)) + BytesCell(g.size_bytes) +
            BytesCell(g.after_bytes) + BytesCell(g.saved_bytes) + "</tr>";
  }
  return Section("plan", m[Msg::kReportPlan], html + "</tbody></table>\n");
}

std::string TopSection(const ReportSummary& s, bool several,
                       const MessageTable& m) {
  std::string html =
      "<table>" + HeadRow({m[Msg::kReportDatabase], m[Msg::kReportOwner],
                           m[Msg::kReportTable], m[Msg::kReportRows],
                           m[Msg::kReportSize], m[Msg::kReportCompressed],
                           m[Msg::kReportSaved], m[Msg::kReportSavedPct]}) +
      "<tbody>";
  for (const ReportTable& t : s.ranked) {
    html += "<tr><td>" + Html(DatabaseLabel(*t.record, several)) + "</td><td>" +
            Html(t.table->owner) + "</td><td>" + Html(t.table->table) +
            "</td>" + NumberCell(t.table->row_count.ToText()) +
            BytesCell(t.size) + BytesCell(t.compressed) +
            BytesCell(t.size - t.compressed) +
            NumberCell(FormatNumber(t.saved_pct) + " %") + "</tr>";
  }
  return Section("top", Fill(m[Msg::kReportTop], {Count(s.ranked.size())}),
                 html + "</tbody></table>\n");
}

std::string BasisSection(const ReportSummary& s, const MessageTable& m) {
  const StatisticsBasis& b = s.basis;
  const double size = s.all.size;
  auto share = [&](double part) {
    return PercentText(size > 0 ? part * 100 / size : 0);
  };
  std::string columns =
      Fill(m[Msg::kReportBasisColumns],
           {Count(static_cast<size_t>(b.columns())), Count(static_cast<size_t>(b.full)),
            Count(static_cast<size_t>(b.sampled)), Count(static_cast<size_t>(b.none))});
  if (b.columns() > 0) {
    columns += Fill(m[Msg::kReportBasisShare],
                    {PercentText(b.none * 100.0 / b.columns())});
  }
  return Section(
      "basis", m[Msg::kReportBasis],
      "<p>" + Html(columns) + ".</p><p>" +
          Html(Fill(m[Msg::kReportBasisSizes],
                    {HumanBytes(s.resting_on_none), share(s.resting_on_none),
                     HumanBytes(s.resting_on_samples),
                     share(s.resting_on_samples)})) +
          "</p>\n");
}

std::string UnestimatedSection(const ReportSummary& s, bool several,
                               const MessageTable& m) {
  const std::vector<ReportTable>& tables = s.unestimated;
  if (tables.empty()) {
    return Section("unestimated", m[Msg::kReportUnestimated],
                   "<p>" + Html(m[Msg::kReportNoneUnestimated]) + "</p>\n");
  }
  std::string html =
      "<p>" + Html(Fill(m[Msg::kReportUnestimatedText], {Count(tables.size())})) +
      "</p><table>" +
      HeadRow({m[Msg::kReportDatabase], m[Msg::kReportOwner],
               m[Msg::kReportTable]}) + "<tbody>";
  const size_t shown = std::min<size_t>(tables.size(), 100);
  for (size_t i = 0; i < shown; ++i) {
    html += "<tr><td>" + Html(DatabaseLabel(*tables[i].record, several)) +
            "</td><td>" + Html(tables[i].table->owner) + "</td><td>" +
            Html(tables[i].table->table) + "</td></tr>";
  }
  if (shown < tables.size()) {
    html += "<tr class=\"rest\"><td colspan=\"3\">" +
            Html(Fill(m[Msg::kReportMore], {Count(tables.size() - shown)})) +
            "</td></tr>";
  }
  return Section("unestimated", m[Msg::kReportUnestimated],
                 html + "</tbody></table>\n");
}

}  // namespace

std::string ReportBody(const ReportSummary& s, const MessageTable& m) {
  const bool several = s.servers.size() > 1;
  // A chart of more bars would not fit on a printed page (A5 at the least).
  std::string html = Section(
      "databases", m[Msg::kReportByDatabase],
      SumsTable(m[Msg::kReportDatabase], s.by_database, 1000, m) +
          (s.by_database.size() <= 20
               ? BarChart(s.by_database, m[Msg::kReportByDatabase], m, 2)
               : std::string()));
  html += Section("owners", m[Msg::kReportByOwner],
                  SumsTable(m[Msg::kReportDatabaseOwner], s.by_owner, 40, m));
  if (!s.rules.empty()) html += PlanSection(s.plan, m);
  html += TopSection(s, several, m);
  html += BasisSection(s, m);
  html += UnestimatedSection(s, several, m);
  return html;
}

}  // namespace tce
