#include "output/report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "model/format.h"
#include "output/result_writer.h"
#include "base/number_text.h"

namespace tce {
namespace {

// The options in words, from the six every document records.
std::string SettingsWords(const std::string& compression,
                          const std::string& cardinality,
                          const std::string& unit, int64_t min_compression,
                          int64_t min_size, bool ignore_no_stats) {
  return compression + " compression; cardinality " +
         (cardinality == "max" ? "per type (the largest)"
                               : "from each column's distribution") +
         "; sizes in " + unit + "; at least " +
         std::to_string(min_compression) + " % saved and " +
         std::to_string(min_size) + " MB; tables without statistics " +
         (ignore_no_stats ? "left out" : "listed");
}

// A plan line as the report counts it: what the recommendation saves.
ReportTable PlanTable(std::string owner, std::string table, double rows,
                      bool has_statistics, double size_bytes,
                      double saved_bytes) {
  ReportTable t;
  t.owner = std::move(owner);
  t.table = std::move(table);
  t.rows = rows;
  t.has_statistics = has_statistics;
  if (has_statistics) {
    t.size_bytes = size_bytes;
    t.compressed_bytes = size_bytes - saved_bytes;
    t.saved_pct = size_bytes > 0 ? std::floor(saved_bytes * 100.0 / size_bytes)
                                 : 0;
  }
  return t;
}

// A plan's totals are those of its recommendations.
void TotalsFromPlan(ReportDatabase& database) {
  ResultTotals totals;
  double saved = 0;
  for (int i = 0; i < kRecommendations; ++i) {
    const PlanGroup& group = database.plan_totals[static_cast<size_t>(i)];
    totals.tables += static_cast<size_t>(group.tables);
    if (static_cast<Recommendation>(i) == Recommendation::kNoStatistics) continue;
    totals.size_bytes += group.size_bytes;
    saved += group.saved_bytes;
  }
  totals.compressed_bytes = totals.size_bytes - saved;
  if (totals.size_bytes > 0) totals.saved_pct = saved * 100.0 / totals.size_bytes;
  database.totals = totals;
}

// ---- Reading the tool's JSON back. Anything else is refused. ----

bool IsCount(const Json& value) {
  if (!value.is_number()) return false;
  const double number = value.number();
  return std::isfinite(number) && number >= -1e18 && number <= 1e18;
}

// A failure naming what is missing or wrong.
struct Refusal {
  std::string why;
};

const Json& Need(const Json& object, const char* key, Json::Type type) {
  const Json& value = object[key];
  if (value.type != type || (type == Json::Type::kNumber && !IsCount(value)))
    throw Refusal{std::string("\"") + key + "\" is missing or not what it should be"};
  return value;
}

double Number(const Json& object, const char* key) {
  return Need(object, key, Json::Type::kNumber).number();
}

// A count as a whole number in range: documents from elsewhere may hold
// anything.
int32_t Count32(double value) {
  return static_cast<int32_t>(std::clamp(value, 0.0, 2147483647.0));
}

std::string Text(const Json& object, const char* key) {
  return Need(object, key, Json::Type::kString).text;
}

std::string SettingsOf(const Json& document) {
  const Json& s = Need(document, "settings", Json::Type::kObject);
  return SettingsWords(
      Text(s, "compression"), Text(s, "cardinality"), Text(s, "unit"),
      static_cast<int64_t>(Number(s, "min_compression")),
      static_cast<int64_t>(Number(s, "min_size_mb")),
      Need(s, "ignore_tables_without_statistics", Json::Type::kBool).boolean);
}

ReportDatabase ResultsDocument(const Json& document) {
  ReportDatabase database;
  database.source = Text(document, "database");
  database.name = database.source.substr(database.source.rfind('/') + 1);
  if (database.name.size() > 3 &&
      database.name.compare(database.name.size() - 3, 3, ".db") == 0)
    database.name.resize(database.name.size() - 3);
  database.settings = SettingsOf(document);
  const bool pages =
      Text(document["settings"], "unit") == "pages";
  for (const Json& t : Need(document, "tables", Json::Type::kArray).items) {
    if (!t.is_object()) throw Refusal{"a table is not an object"};
    ReportTable table;
    table.owner = Text(t, "owner");
    table.table = Text(t, "table");
    table.rows = Number(t, "count");
    table.has_statistics = table.rows > 0;
    const double unit = pages ? Number(t, "page_size") : 1024.0;
    table.size_bytes = Number(t, "size") * unit;
    table.compressed_bytes = Number(t, "compressed") * unit;
    table.saved_pct = Number(t, "saved_pct");
    const Json& basis = t["statistics"];
    if (basis.is_object() && IsCount(basis["full"])) {
      table.basis.full = Count32(basis["full"].number());
      table.basis.sampled = Count32(Number(basis, "sampled"));
      table.basis.none = Count32(Number(basis, "none"));
    }
    database.tables.push_back(std::move(table));
  }
  const Json& totals = Need(document, "totals", Json::Type::kObject);
  database.totals.tables = static_cast<size_t>(Count32(Number(totals, "tables")));
  database.totals.size_bytes = Number(totals, "size_bytes");
  database.totals.compressed_bytes = Number(totals, "compressed_bytes");
  database.totals.saved_pct = Number(totals, "saved_pct");
  return database;
}

ReportDatabase PlanDocument(const Json& document) {
  ReportDatabase database;
  database.source = Text(document, "database");
  database.name = database.source.substr(database.source.rfind('/') + 1);
  database.settings = SettingsOf(document);
  database.plan = true;
  for (const Json& t : Need(document, "tables", Json::Type::kArray).items) {
    if (!t.is_object()) throw Refusal{"a table is not an object"};
    database.tables.push_back(PlanTable(
        Text(t, "owner"), Text(t, "table"), Number(t, "count"),
        Text(t, "recommendation") != "no statistics", Number(t, "size_bytes"),
        Number(t, "saved_bytes")));
  }
  const Json& totals = Need(document, "totals", Json::Type::kObject);
  const char* keys[kRecommendations] = {"page", "row", "leave",
                                        "no_statistics"};
  for (int i = 0; i < kRecommendations; ++i) {
    const Json& group = Need(totals, keys[i], Json::Type::kObject);
    PlanGroup& g = database.plan_totals[static_cast<size_t>(i)];
    g.tables = Count32(Number(group, "tables"));
    g.size_bytes = Number(group, "size_bytes");
    g.after_bytes = Number(group, "after_bytes");
    g.saved_bytes = Number(group, "saved_bytes");
  }
  TotalsFromPlan(database);
  return database;
}

void ReadDocument(const Json& document, std::vector<ReportDatabase>* out,
                  bool nested) {
  if (!document.is_object()) throw Refusal{"it is not a JSON object"};
  if (!nested && document["databases"].is_array()) {
    for (const Json& item : document["databases"].items) {
      if (item.is_object() && item["error"].is_string()) {
        ReportDatabase failed;
        failed.name = Text(item, "database");
        failed.error = item["error"].text;
        out->push_back(std::move(failed));
      } else {
        ReadDocument(item, out, true);
      }
    }
    return;
  }
  if (document["plan"].is_object()) {
    out->push_back(PlanDocument(document));
  } else if (document["tables"].is_array() && document["totals"].is_object()) {
    out->push_back(ResultsDocument(document));
  } else {
    throw Refusal{"it holds no tables and totals"};
  }
}

// ---- The page. ----

// Text for HTML: escaped, and invalid UTF-8 shown as U+FFFD.
std::string Html(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const size_t length = Utf8SequenceLength(text.substr(i));
      if (length == 0) {
        out += "\xEF\xBF\xBD";
        ++i;
      } else {
        out.append(text.substr(i, length));
        i += length;
      }
      continue;
    }
    ++i;
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        if (c < 0x20 && c != '\t') {
          out += ' ';
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

std::string Pct(double pct) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%", std::isfinite(pct) ? pct : 0.0);
  return text;
}

// A figure in human units, with its exact bytes for machines.
std::string BytesCell(double bytes, const char* key = nullptr) {
  std::string cell = "<td class=\"n\" data-bytes=\"" +
                     FormatNumber(std::round(bytes)) + "\"";
  if (key != nullptr) cell += " data-total=\"" + std::string(key) + "\"";
  return cell + ">" + Html(HumanBytes(bytes)) + "</td>";
}

struct Sums {
  size_t tables = 0;
  double size = 0;
  double compressed = 0;
  double saved_pct() const {
    return size > 0 ? (size - compressed) * 100.0 / size : 0;
  }
  void Add(const ReportTable& t) {
    ++tables;
    if (!t.has_statistics) return;
    size += t.size_bytes;
    compressed += t.compressed_bytes;
  }
};

// Horizontal bars of what each named part saves, largest first.
std::string BarChart(const std::vector<std::pair<std::string, Sums>>& parts) {
  double top = 0;
  for (const auto& [name, sums] : parts) top = std::max(top, sums.size);
  if (top <= 0) return {};
  const int bar_height = 18, label_width = 180, width = 640;
  const int height = static_cast<int>(parts.size()) * (bar_height + 6) + 24;
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    std::to_string(width) + "\" height=\"" +
                    std::to_string(height) + "\" role=\"img\">";
  int y = 4;
  for (const auto& [name, sums] : parts) {
    // Shares of the longest bar, whatever the figures hold.
    const double room = width - label_width - 70;
    const int whole = static_cast<int>(room * std::clamp(sums.size / top, 0.0, 1.0));
    const int after =
        static_cast<int>(room * std::clamp(sums.compressed / top, 0.0, 1.0));
    svg += "<text x=\"0\" y=\"" + std::to_string(y + 13) +
           "\" font-size=\"12\">" + Html(name.substr(0, 28)) + "</text>";
    svg += "<rect x=\"" + std::to_string(label_width) + "\" y=\"" +
           std::to_string(y) + "\" width=\"" + std::to_string(std::max(whole, 1)) +
           "\" height=\"" + std::to_string(bar_height) + "\" fill=\"#4472c4\"/>";
    svg += "<rect x=\"" + std::to_string(label_width) + "\" y=\"" +
           std::to_string(y + 4) + "\" width=\"" + std::to_string(after) +
           "\" height=\"" + std::to_string(bar_height - 8) +
           "\" fill=\"#70ad47\"/>";
    svg += "<text x=\"" + std::to_string(label_width + whole + 6) + "\" y=\"" +
           std::to_string(y + 13) + "\" font-size=\"12\">" +
           Pct(sums.saved_pct()) + "</text>";
    y += bar_height + 6;
  }
  svg += "<rect x=\"" + std::to_string(label_width) + "\" y=\"" +
         std::to_string(y + 4) +
         "\" width=\"12\" height=\"10\" fill=\"#4472c4\"/><text x=\"" +
         std::to_string(label_width + 16) + "\" y=\"" + std::to_string(y + 13) +
         "\" font-size=\"11\">size now</text><rect x=\"" +
         std::to_string(label_width + 90) + "\" y=\"" + std::to_string(y + 4) +
         "\" width=\"12\" height=\"10\" fill=\"#70ad47\"/><text x=\"" +
         std::to_string(label_width + 106) + "\" y=\"" + std::to_string(y + 13) +
         "\" font-size=\"11\">compressed</text></svg>";
  return svg;
}

std::string SumsTable(const char* first, const std::vector<std::pair<std::string, Sums>>& parts,
                      size_t limit) {
  std::string html = "<table><tr><th>" + std::string(first) +
                     "</th><th>Tables</th><th>Size</th><th>Compressed</th>"
                     "<th>Saved</th><th>%Saved</th></tr>";
  Sums rest;
  size_t rest_parts = 0;
  for (size_t i = 0; i < parts.size(); ++i) {
    const Sums& s = parts[i].second;
    if (i >= limit) {
      rest.tables += s.tables;
      rest.size += s.size;
      rest.compressed += s.compressed;
      ++rest_parts;
      continue;
    }
    html += "<tr><td>" + Html(parts[i].first) + "</td><td class=\"n\">" +
            FormatNumber(static_cast<int64_t>(s.tables)) + "</td>" +
            BytesCell(s.size) + BytesCell(s.compressed) +
            BytesCell(s.size - s.compressed) + "<td class=\"n\">" +
            Pct(s.saved_pct()) + "</td></tr>";
  }
  if (rest_parts > 0) {
    html += "<tr class=\"rest\"><td>and " + std::to_string(rest_parts) +
            " more</td><td class=\"n\">" +
            FormatNumber(static_cast<int64_t>(rest.tables)) + "</td>" +
            BytesCell(rest.size) + BytesCell(rest.compressed) +
            BytesCell(rest.size - rest.compressed) + "<td class=\"n\">" +
            Pct(rest.saved_pct()) + "</td></tr>";
  }
  return html + "</table>";
}

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
@media print{body{margin:0;max-width:none}h2{page-break-after:avoid}table,svg,.cards{page-break-inside:avoid}}
)css";

// Everything the page adds up, in one pass over the databases.
using TableOf = std::pair<const ReportDatabase*, const ReportTable*>;
struct Summary {
  Sums all;
  std::vector<std::pair<std::string, Sums>> by_database, by_owner;
  std::vector<TableOf> ranked;       // the tables with statistics
  std::vector<TableOf> unestimated;  // those without
  StatisticsBasis basis;
  double resting_on_none = 0, resting_on_samples = 0;
  size_t failed = 0;
  PlanTotals plan{};
  bool any_plan = false;
};

double SavedOf(const ReportTable& t) { return t.size_bytes - t.compressed_bytes; }

void AddTables(const ReportDatabase& database, Summary& s,
               std::map<std::string, size_t>& owner_index) {
  for (const ReportTable& table : database.tables) {
    const std::string owner = database.name + " / " + table.owner;
    auto [at, added] = owner_index.emplace(owner, s.by_owner.size());
    if (added) s.by_owner.push_back({owner, Sums()});
    s.by_owner[at->second].second.Add(table);
    (table.has_statistics ? s.ranked : s.unestimated).push_back({&database, &table});
    s.basis.full += table.basis.full;
    s.basis.sampled += table.basis.sampled;
    s.basis.none += table.basis.none;
    if (table.has_statistics && table.basis.none > 0) {
      s.resting_on_none += table.size_bytes;
    } else if (table.has_statistics && table.basis.sampled > 0) {
      s.resting_on_samples += table.size_bytes;
    }
  }
}

Summary Summarize(const Report& report) {
  Summary s;
  std::map<std::string, size_t> owner_index;
  for (const ReportDatabase& database : report.databases) {
    if (!database.error.empty()) {
      ++s.failed;
      continue;
    }
    // The totals are the run's own (or its plan's); the tables give the
    // parts.
    Sums sums;
    sums.tables = database.totals.tables;
    sums.size = database.totals.size_bytes;
    sums.compressed = database.totals.compressed_bytes;
    s.all.tables += sums.tables;
    s.all.size += sums.size;
    s.all.compressed += sums.compressed;
    s.by_database.push_back({database.name, sums});
    AddTables(database, s, owner_index);
    if (!database.plan) continue;
    s.any_plan = true;
    for (size_t i = 0; i < s.plan.size(); ++i) {
      s.plan[i].tables += database.plan_totals[i].tables;
      s.plan[i].size_bytes += database.plan_totals[i].size_bytes;
      s.plan[i].after_bytes += database.plan_totals[i].after_bytes;
      s.plan[i].saved_bytes += database.plan_totals[i].saved_bytes;
    }
  }
  std::stable_sort(s.by_owner.begin(), s.by_owner.end(),
                   [](const auto& a, const auto& b) {
                     return a.second.size - a.second.compressed >
                            b.second.size - b.second.compressed;
                   });
  const size_t top = std::min<size_t>(s.ranked.size(), 25);
  std::partial_sort(s.ranked.begin(), s.ranked.begin() + static_cast<long>(top),
                    s.ranked.end(), [](const TableOf& a, const TableOf& b) {
                      return SavedOf(*a.second) > SavedOf(*b.second);
                    });
  s.ranked.resize(top);
  return s;
}

std::string EstimatedSection(const Report& report) {
  std::string html = "<h2>What was estimated</h2>\n<table><tr><th>Database</th>"
                     "<th>Read from</th><th>Options</th></tr>";
  for (const ReportDatabase& database : report.databases) {
    html += "<tr><td>" + Html(database.name) + "</td><td>" +
            Html(database.source) + "</td><td" +
            (database.error.empty() ? ">" + Html(database.settings)
                                    : " class=\"failed\">failed: " +
                                          Html(database.error)) +
            "</td></tr>";
  }
  return html + "</table>\n";
}

// A card of the totals: a figure in human units with its exact bytes.
std::string Card(const char* title, const char* key, double bytes,
                 const std::string& after = {}) {
  return std::string("<div class=\"card\"><span>") + title +
         "</span><b data-total=\"" + key + "\" data-bytes=\"" +
         FormatNumber(std::round(bytes)) + "\">" + Html(HumanBytes(bytes)) +
         after + "</b></div>";
}

std::string TotalsSection(const Sums& all) {
  return "<h2>Totals</h2>\n<div class=\"cards\">" +
         Card("Size now", "size_bytes", all.size) +
         Card("Compressed", "compressed_bytes", all.compressed) +
         Card("Saved", "saved_bytes", all.size - all.compressed,
              " (" + Pct(all.saved_pct()) + ")") +
         "<div class=\"card\"><span>Tables</span><b data-total=\"tables\">" +
         FormatNumber(static_cast<int64_t>(all.tables)) + "</b></div></div>\n" +
         BarChart({{"All databases", all}});
}

std::string PlanSection(const PlanTotals& plan) {
  std::string html =
      "<h2>The plan by method</h2>\n<table><tr><th>Recommendation</th>"
      "<th>Tables</th><th>Size now</th><th>After</th><th>Saved</th></tr>";
  for (int i = 0; i < kRecommendations; ++i) {
    const PlanGroup& g = plan[static_cast<size_t>(i)];
    html += "<tr><td>" +
            Html(RecommendationName(static_cast<Recommendation>(i))) +
            "</td><td class=\"n\">" + FormatNumber(g.tables) + "</td>" +
            BytesCell(g.size_bytes) + BytesCell(g.after_bytes) +
            BytesCell(g.saved_bytes) + "</tr>";
  }
  return html + "</table>\n";
}

std::string TopSection(const Summary& s) {
  std::string html = "<h2>The " + std::to_string(s.ranked.size()) +
                     " tables that would save the most</h2>\n<table><tr>"
                     "<th>Database</th><th>Owner</th><th>Table</th><th>Rows</th>"
                     "<th>Size</th><th>Compressed</th><th>Saved</th>"
                     "<th>%Saved</th></tr>";
  for (const auto& [database, table] : s.ranked) {
    const ReportTable& t = *table;
    html += "<tr><td>" + Html(database->name) + "</td><td>" + Html(t.owner) +
            "</td><td>" + Html(t.table) + "</td><td class=\"n\">" +
            FormatNumber(t.rows) + "</td>" + BytesCell(t.size_bytes) +
            BytesCell(t.compressed_bytes) + BytesCell(SavedOf(t)) +
            "<td class=\"n\">" + FormatNumber(t.saved_pct) + " %</td></tr>";
  }
  return html + "</table>\n";
}

std::string BasisSection(const Summary& s) {
  const StatisticsBasis& basis = s.basis;
  const double columns = basis.columns();
  const double size = s.all.size;
  return "<h2>What the estimate rests on</h2>\n<p>Of " +
         FormatNumber(static_cast<int64_t>(basis.columns())) + " columns, " +
         FormatNumber(static_cast<int64_t>(basis.full)) +
         " have a distribution built from all rows, " +
         FormatNumber(static_cast<int64_t>(basis.sampled)) +
         " one built from a sample, and " +
         FormatNumber(static_cast<int64_t>(basis.none)) +
         " none (every row counts as distinct: the saving may be too low)" +
         (columns > 0 ? " &mdash; " + Pct(basis.none * 100.0 / columns) +
                            " without statistics"
                      : std::string()) +
         ".</p><p>" + Html(HumanBytes(s.resting_on_none)) + " (" +
         Pct(size > 0 ? s.resting_on_none * 100 / size : 0) +
         " of the size) is in tables with a column without statistics, and " +
         Html(HumanBytes(s.resting_on_samples)) + " (" +
         Pct(size > 0 ? s.resting_on_samples * 100 / size : 0) +
         ") in tables whose figures rest on samples.</p>\n";
}

std::string UnestimatedSection(const std::vector<TableOf>& tables) {
  std::string html = "<h2>Tables without statistics</h2>\n";
  if (tables.empty())
    return html + "<p>None: every listed table has a row count.</p>\n";
  html += "<p>" + FormatNumber(static_cast<int64_t>(tables.size())) +
          " listed tables have no row count, so no size is estimated for "
          "them; update their statistics and run again.</p><table><tr>"
          "<th>Database</th><th>Owner</th><th>Table</th></tr>";
  const size_t shown = std::min<size_t>(tables.size(), 100);
  for (size_t i = 0; i < shown; ++i) {
    html += "<tr><td>" + Html(tables[i].first->name) + "</td><td>" +
            Html(tables[i].second->owner) + "</td><td>" +
            Html(tables[i].second->table) + "</td></tr>";
  }
  if (shown < tables.size()) {
    html += "<tr class=\"rest\"><td colspan=\"3\">and " +
            FormatNumber(static_cast<int64_t>(tables.size() - shown)) +
            " more</td></tr>";
  }
  return html + "</table>\n";
}

}  // namespace

ReportDatabase ReportOfRun(const std::string& name,
                           std::shared_ptr<const RunRecord> record,
                           const std::optional<PlanRule>& rule) {
  ReportDatabase database;
  database.name = name;
  database.source = record->database;
  const RunSettings& s = record->settings;
  database.settings = SettingsWords(
      s.EstimatePageCompression ? "page" : "row",
      s.UseMaxCardinality ? "max" : "column",
      s.ShowPageSavings ? "pages" : "kilobytes", s.MinCompressionPct,
      s.MinTableSizeMB, s.IgnoreTablesWithoutStats);
  if (rule) {
    // The plan's lines and totals, as its JSON document gives them.
    database.plan = true;
    const Plan plan(record, *rule);
    for (int row = 0; row < plan.Count(); ++row) {
      const TableRecord& t = plan.Table(row);
      ReportTable table = PlanTable(
          t.owner, t.table, t.row_count.ToDouble(),
          plan.Line(row).recommendation != Recommendation::kNoStatistics,
          RoundHalfEven(AllocatedBytes(t)),
          RoundHalfEven(plan.Line(row).saved_bytes));
      table.basis = t.basis;
      database.tables.push_back(std::move(table));
    }
    database.plan_totals = plan.totals();
    for (PlanGroup& group : database.plan_totals) {
      group.size_bytes = RoundHalfEven(group.size_bytes);
      group.after_bytes = RoundHalfEven(group.after_bytes);
      group.saved_bytes = RoundHalfEven(group.saved_bytes);
    }
    TotalsFromPlan(database);
    return database;
  }
  const Shown shown = record->shown();
  for (size_t i = 0; i < record->listed.size(); ++i) {
    const TableRecord& t = record->Listed(i);
    ReportTable table;
    table.owner = t.owner;
    table.table = t.table;
    table.rows = t.row_count.ToDouble();
    table.has_statistics = HasStatistics(t);
    const double unit = BytesPerUnit(t, shown.unit);
    table.size_bytes = ShownSize(t, shown.unit) * unit;
    table.compressed_bytes = ShownCompressed(t, shown) * unit;
    table.saved_pct = SavedWholePct(t, shown.method);
    table.basis = t.basis;
    database.tables.push_back(std::move(table));
  }
  database.totals = TotalsOf(*record);
  return database;
}

bool ReportOfDocument(const Json& document, std::vector<ReportDatabase>* out,
                      std::string* error) {
  std::vector<ReportDatabase> read;
  try {
    ReadDocument(document, &read, false);
  } catch (const Refusal& refusal) {
    *error = "not a document of tarvex-compest-batch --json (" + refusal.why + ")";
    return false;
  }
  for (ReportDatabase& database : read) out->push_back(std::move(database));
  return true;
}

std::string ReportHtml(const Report& report) {
  Summary summary = Summarize(report);
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<title>Compression estimate: " + Html(report.source) +
      "</title><style>" + kStyle + "</style></head><body>\n";
  html += "<h1>Compression estimate</h1>\n<p class=\"meta\">" +
          Html(report.source) + "</p><p class=\"meta\">" +
          std::to_string(report.databases.size()) +
          (report.databases.size() == 1 ? " database" : " databases") +
          (summary.failed > 0 ? ", " + std::to_string(summary.failed) + " failed"
                              : "") +
          " &middot; " + Html(report.generated) +
          " &middot; Tarvex Compression Estimator " + Html(TCE_VERSION) +
          "</p>\n";
  html += EstimatedSection(report);
  html += TotalsSection(summary.all);
  html += "<h2>By database</h2>\n" +
          SumsTable("Database", summary.by_database, 1000) +
          BarChart(summary.by_database.size() <= 40
                       ? summary.by_database
                       : std::vector<std::pair<std::string, Sums>>());
  html += "<h2>By owner</h2>\n" +
          SumsTable("Database / owner", summary.by_owner, 40);
  if (summary.any_plan) html += PlanSection(summary.plan);
  html += TopSection(summary);
  html += BasisSection(summary);
  html += UnestimatedSection(summary.unestimated);
  html += "</body></html>\n";
  return html;
}

}  // namespace tce
