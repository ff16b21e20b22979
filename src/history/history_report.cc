#include "history/history_report.h"

#include <algorithm>
#include <set>

#include "base/number_text.h"
#include "history/change_text.h"
#include "history/since.h"
#include "history/trend.h"
#include "output/report.h"
#include "output/report_parts.h"
#include "output/report_summary.h"

namespace tce {
namespace {

constexpr size_t kLargest = 25;

std::string Pct(const TableRecord* side, Fixed4 pct) {
  return side == nullptr ? std::string() : PercentText(pct.ToDouble());
}

std::string Cells(const TableChange& c) {
  return "<td>" + Html(c.owner()) + "</td><td>" + Html(c.table()) + "</td>";
}

std::string More(size_t more, int columns, const MessageTable& m) {
  if (more == 0) return {};
  return "<tr class=\"rest\"><td colspan=\"" + std::to_string(columns) + "\">" +
         Html(Fill(m[Msg::kReportMore], {FormatNumber(static_cast<int64_t>(more))})) +
         "</td></tr>";
}

std::string LargestTable(const Changes& changes, const MessageTable& m) {
  std::string html =
      "<h3>" + Html(m[Msg::kHistoryLargest]) + "</h3><table>" +
      HeadRow({m[Msg::kReportOwner], m[Msg::kReportTable], m[Msg::kHistoryChanges],
               m[Msg::kHistoryThen], m[Msg::kHistoryNow], m[Msg::kHistoryChange],
               m[Msg::kHistorySavedThen], m[Msg::kHistorySavedNow]}) + "<tbody>";
  const size_t shown = std::min(changes.tables.size(), kLargest);
  for (size_t i = 0; i < shown; ++i) {
    const TableChange& c = changes.tables[i];
    html += "<tr>" + Cells(c) + "<td>" + Html(KindWords(c.kinds, m)) + "</td>" +
            (c.before ? BytesCell(c.size_before) : NumberCell("")) +
            (c.now ? BytesCell(c.size_now) : NumberCell("")) +
            BytesCell(c.size_change()) +
            NumberCell(Pct(c.before, c.saved_before)) +
            NumberCell(Pct(c.now, c.saved_now)) + "</tr>";
  }
  return html + More(changes.tables.size() - shown, 8, m) + "</tbody></table>\n";
}

// The changed tables that pass `keep`, in the order `before` gives, at
// most `limit` shown, as rows `row` makes.
template <typename Keep, typename Before, typename Row>
std::string Picked(const Changes& changes, Msg title,
                   const std::vector<std::string>& headers, size_t limit,
                   Keep keep, Before before, Row row, const MessageTable& m) {
  std::vector<const TableChange*> picked;
  for (const TableChange& c : changes.tables) {
    if (keep(c)) picked.push_back(&c);
  }
  if (picked.empty()) return {};
  std::stable_sort(picked.begin(), picked.end(),
                   [&](const TableChange* a, const TableChange* b) {
                     return before(*a, *b);
                   });
  std::string html = "<h3>" + Html(m[title]) + "</h3><table>" + HeadRow(headers) +
                     "<tbody>";
  const size_t shown = std::min(picked.size(), limit);
  for (size_t i = 0; i < shown; ++i) html += "<tr>" + row(*picked[i]) + "</tr>";
  return html + More(picked.size() - shown, static_cast<int>(headers.size()), m) +
         "</tbody></table>\n";
}

std::string PickedTables(const Changes& changes, const MessageTable& m) {
  const auto by_size = [](const TableChange& a, const TableChange& b) {
    return a.size_now > b.size_now;
  };
  std::string html = Picked(
      changes, Msg::kHistoryNewlyWorth,
      {m[Msg::kReportOwner], m[Msg::kReportTable], m[Msg::kHistoryMethod],
       m[Msg::kReportSavedPct], m[Msg::kReportSize]},
      kLargest,
      [](const TableChange& c) { return (c.kinds & kChangeNewlyRecommended) != 0; },
      by_size,
      [&](const TableChange& c) {
        const PlanLine line = PlanFor(*c.now, changes.rule);
        return Cells(c) + "<td>" + MethodName(line.better) + "</td>" +
               NumberCell(PercentText(line.better_pct.ToDouble())) + BytesCell(c.size_now);
      },
      m);
  html += Picked(
      changes, Msg::kHistoryFastest,
      {m[Msg::kReportOwner], m[Msg::kReportTable], m[Msg::kHistoryThen],
       m[Msg::kHistoryNow], m[Msg::kHistoryChange]},
      10, [](const TableChange& c) { return c.before && c.size_change() > 0; },
      [](const TableChange& a, const TableChange& b) {
        return a.size_change() > b.size_change();
      },
      [](const TableChange& c) {
        return Cells(c) + BytesCell(c.size_before) + BytesCell(c.size_now) +
               BytesCell(c.size_change());
      },
      m);
  html += Picked(
      changes, Msg::kHistoryOutcome,
      {m[Msg::kReportOwner], m[Msg::kReportTable], m[Msg::kHistoryEstimated],
       m[Msg::kHistoryPagesFell]},
      kLargest,
      [](const TableChange& c) { return (c.kinds & kChangeCompressed) != 0; },
      by_size,
      [](const TableChange& c) {
        return Cells(c) +
               NumberCell(PercentText(c.estimated_pct.ToDouble()) + " (" +
                          MethodName(c.estimated_method) + ")") +
               NumberCell(PercentText(c.pages_fell_pct.ToDouble()));
      },
      m);
  return html;
}

std::string SinceText(const SinceResult& since, const MessageTable& m) {
  if (!since.found) return "<p>" + Html(m[Msg::kHistoryNoEarlier]) + "</p>\n";
  const Changes& c = since.changes;
  auto n = [&](int bit) { return FormatNumber(c.counts[bit]); };
  std::string html =
      "<p>" + Html(Fill(m[Msg::kHistoryComparedWith],
                        {LocalMinuteText(since.before.started),
                         std::to_string(since.before.id),
                         FormatNumber(static_cast<int64_t>(c.tables.size()))})) +
      " " + Html(Fill(m[Msg::kHistoryCounts], {n(0), n(1), n(2), n(3), n(8), n(9), n(11)})) +
      "</p>\n";
  if (!c.settings.empty()) html += "<p>" + Html(SettingsSentence(c, m)) + "</p>\n";
  if (c.tables.empty())
    return html + "<p>" + Html(m[Msg::kHistoryNoneChanged]) + "</p>\n";
  return html + LargestTable(c, m) + PickedTables(c, m);
}

}  // namespace

Status HistorySections(History& history, const Records& records,
                       const MessageTable& m, std::string* html) {
  std::set<std::string> servers;
  for (const auto& record : records)
    servers.insert(record->server.name + '\n' + record->server.host);
  int id = 0;
  for (const auto& record : records) {
    if (!record->failure.empty()) continue;
    ++id;
    SinceResult since;
    Status status = ChangesSince(history, record, Since{},
                                 record->plan.value_or(PlanRule()), &since);
    std::vector<TrendPoint> trend;
    if (status.ok()) status = TrendOf(history, *record, &trend);
    if (!status.ok()) return status;
    const std::string name = DatabaseLabel(*record, servers.size() > 1);
    const std::string title = records.size() == 1
                                  ? m[Msg::kHistorySince]
                                  : Fill(m[Msg::kHistorySinceOf], {name});
    *html += Section("history" + std::to_string(id), title,
                     SinceText(since, m) + "<h3>" + Html(m[Msg::kHistoryTrend]) +
                         "</h3>" + TrendChart(trend, name, m, id) + "\n");
  }
  return Status();
}

}  // namespace tce
