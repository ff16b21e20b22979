#include "output/report.h"

#include <algorithm>

#include "base/number_text.h"
#include "model/figures.h"
#include "model/format.h"
#include "output/report_parts.h"
#include "output/report_summary.h"

namespace tce {
namespace {

// Printed, a section stays on one page when it fits on one; one that does
// not starts a new page and breaks there, its table's header row repeated
// on each page. The title and the headings stay with what follows.
constexpr char kStyle[] = R"css(
body{font-family:"DejaVu Sans",Arial,sans-serif;color:#222;margin:24px 32px;max-width:980px}
h1{font-size:22px;margin:0 0 4px}h2{font-size:16px;margin:28px 0 8px;border-bottom:1px solid #ccc;padding-bottom:3px}
p{font-size:13px;line-height:1.4}p.meta{color:#555;margin:0 0 4px}
table{border-collapse:collapse;font-size:12px;margin:6px 0}
th,td{border:1px solid #ccc;padding:3px 7px;text-align:left;vertical-align:top}
th{background:#eef2f8}td.n{text-align:right;white-space:nowrap}tr.rest td{color:#555;font-style:italic}
.cards{display:flex;gap:12px;flex-wrap:wrap}.card{border:1px solid #ccc;border-radius:4px;padding:8px 14px;min-width:150px}
.card b{display:block;font-size:20px}.card span{color:#555;font-size:12px}
.failed{color:#a00}
@media print{body{margin:0;max-width:none}
h1,h2,p.meta{break-after:avoid;page-break-after:avoid}
section{break-inside:avoid-page;page-break-inside:avoid}thead{display:table-header-group}
tr,svg,.cards{break-inside:avoid;page-break-inside:avoid}}
)css";

// The options of a run in words.
std::string SettingsWords(const RunRecord& record, const MessageTable& m) {
  const RunSettings& s = record.settings;
  std::string words =
      std::string(s.EstimatePageCompression ? "page" : "row") +
      " compression; cardinality " +
      (s.UseMaxCardinality ? "per type (the largest)"
                           : "from each column's distribution") +
      "; sizes in " + (s.ShowPageSavings ? "pages" : "kilobytes") +
      "; at least " + std::to_string(s.MinCompressionPct) + " % saved and " +
      std::to_string(s.MinTableSizeMB) + " MB; tables without statistics " +
      (s.IgnoreTablesWithoutStats ? "left out" : "listed");
  if (record.plan) {
    words += Fill(m[Msg::kReportPlanOptions],
                  {std::to_string(record.plan->margin),
                   std::to_string(record.plan->threshold)});
  }
  return words;
}

std::string ServersLine(const ReportSummary& s, const MessageTable& m) {
  auto one = [&](const ServerIdentity& server) {
    return Fill(m[Msg::kReportServerOn],
                {server.name.empty() ? std::string("?") : server.name,
                 server.host.empty() ? std::string("?") : server.host});
  };
  if (s.servers.size() == 1) return one(s.servers.front());
  std::string list;
  for (const ServerIdentity& server : s.servers)
    list += (list.empty() ? "" : "; ") + one(server);
  return Fill(m[Msg::kReportServers], {list});
}

std::string Heading(const Records& records, const ReportSummary& s,
                    const MessageTable& m) {
  std::string count =
      records.size() == 1
          ? m[Msg::kReportOneDatabase]
          : Fill(m[Msg::kReportDatabases], {std::to_string(records.size())});
  if (s.failed > 0)
    count += Fill(m[Msg::kReportFailedCount], {std::to_string(s.failed)});
  std::string when;
  if (s.any_run) {
    const std::string first = LocalMinuteText(s.first_start);
    const std::string last = LocalMinuteText(s.last_end);
    when = first == last ? Fill(m[Msg::kReportWhen], {first})
                         : Fill(m[Msg::kReportWhenSpan], {first, last});
  }
  return "<h1>" + Html(m[Msg::kReportTitle]) + "</h1>\n<p class=\"meta\">" +
         Html(ServersLine(s, m)) + "</p><p class=\"meta\">" + Html(count) +
         (when.empty() ? "" : " &middot; " + Html(when)) +
         " &middot; Tarvex Compression Estimator " + Html(TCE_VERSION) +
         "</p>\n";
}

std::string EstimatedSection(const Records& records, bool several,
                             const MessageTable& m) {
  std::string html =
      "<table>" + HeadRow({m[Msg::kReportDatabase], m[Msg::kReportServer],
                           m[Msg::kReportOptions]}) + "<tbody>";
  for (const auto& record : records) {
    const std::string server = record->server.name.empty()
                                   ? record->server.host
                                   : record->server.name;
    html += "<tr><td>" + Html(DatabaseLabel(*record, several)) + "</td><td>" +
            Html(server) + "</td><td" +
            (record->failure.empty()
                 ? ">" + Html(SettingsWords(*record, m))
                 : " class=\"failed\">" +
                       Html(m[Msg::kReportFailed] + record->failure)) +
            "</td></tr>";
  }
  return Section("estimated", m[Msg::kReportEstimated],
                 html + "</tbody></table>\n");
}

// A card of the totals: a figure in human units with its exact bytes.
std::string Card(const std::string& title, const char* key, double bytes,
                 const std::string& after = {}) {
  return "<div class=\"card\"><span>" + Html(title) + "</span><b data-total=\"" +
         key + "\" data-bytes=\"" + FormatNumber(RoundHalfEven(bytes)) + "\">" +
         Html(HumanBytes(bytes) + after) + "</b></div>";
}

// What the sizes are, for each unit or plan among the records.
std::string SizesLegend(const Records& records, const ReportSummary& s,
                        const MessageTable& m) {
  bool pages = false, kilobytes = false, plan = false;
  for (const auto& record : records) {
    if (!record->failure.empty()) continue;
    if (record->plan) {
      plan = true;
    } else {
      (record->settings.ShowPageSavings ? pages : kilobytes) = true;
    }
  }
  std::string legend;
  if (plan) {
    legend += "<p>" + Html(m[Msg::kReportSizesPlan]) + "</p>";
    for (const PlanRule& rule : s.rules) {
      legend += "<p>" + Html(Fill(m[Msg::kReportPlanHeadline],
                                  {std::to_string(rule.margin),
                                   std::to_string(rule.threshold)})) + "</p>";
    }
  }
  if (pages) legend += "<p>" + Html(m[Msg::kReportSizesPages]) + "</p>";
  if (kilobytes) legend += "<p>" + Html(m[Msg::kReportSizesKilobytes]) + "</p>";
  return legend;
}

std::string TotalsSection(const Records& records, const ReportSummary& s,
                          const MessageTable& m) {
  const Sums& all = s.all;
  const std::string body =
      "<div class=\"cards\">" + Card(m[Msg::kReportSizeNow], "size_bytes", all.size) +
      Card(m[Msg::kReportCompressed], "compressed_bytes", all.compressed) +
      Card(m[Msg::kReportSaved], "saved_bytes", all.saved(),
           " (" + PercentText(all.saved_pct()) + ")") +
      "<div class=\"card\"><span>" + Html(m[Msg::kReportTables]) +
      "</span><b data-total=\"tables\">" +
      FormatNumber(static_cast<int64_t>(all.tables)) + "</b></div></div>\n" +
      SizesLegend(records, s, m) +
      BarChart({{m[Msg::kReportAllDatabases], all}}, m[Msg::kReportTotals], m, 1);
  return Section("totals", m[Msg::kReportTotals], body);
}

}  // namespace

std::string ReportHtml(const Records& records, const MessageTable& m,
                       const std::string& more) {
  const ReportSummary summary = Summarize(records);
  const bool several = summary.servers.size() > 1;
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<title>" + Html(m[Msg::kReportTitle]) + ": " +
      Html(ServersLine(summary, m)) + "</title><style>" + kStyle +
      "</style></head><body>\n<main>\n";
  html += Heading(records, summary, m);
  html += EstimatedSection(records, several, m);
  html += TotalsSection(records, summary, m);
  html += ReportBody(summary, m);
  html += more;
  return html + "</main>\n</body></html>\n";
}

}  // namespace tce
