#include "output/record_document.h"

#include <array>

#include "base/number_text.h"
#include "model/figures.h"
#include "model/format.h"
#include "model/plan.h"

namespace tce {
namespace {

// Whole bytes.
Value Bytes(double bytes) { return Value::Number(RoundHalfEven(bytes)); }

void WriteRecordMember(ResultWriter& writer, const RunRecord& record,
                       const std::optional<PlanRule>& rule) {
  const RunSettings& s = record.settings;
  const Field server[] = {{"name", Value::Text(record.server.name)},
                          {"host", Value::Text(record.server.host)}};
  const Field settings[] = {
      {"min_compression", Value::Integer(s.MinCompressionPct)},
      {"min_size_mb", Value::Integer(s.MinTableSizeMB)},
      {"ignore_tables_without_statistics",
       Value::Bool(s.IgnoreTablesWithoutStats)},
      {"cardinality", Value::Text(s.UseMaxCardinality ? "max" : "column")},
      {"compression", Value::Text(s.EstimatePageCompression ? "page" : "row")},
      {"unit", Value::Text(s.ShowPageSavings ? "pages" : "kilobytes")},
      {"delimiter", Value::Text(s.TabDelimited ? "tab" : "comma")},
      {"owners", Value::Text(s.OwnerFilter)},
      {"tables", Value::Text(s.TableFilter)}};
  const std::string started = IsoTimeText(record.started);
  const std::string ended = IsoTimeText(record.ended);
  std::array<Field, 2> plan;
  if (rule) {
    plan = {Field{"margin", Value::Integer(rule->margin)},
            Field{"threshold", Value::Integer(rule->threshold)}};
  }
  const Field fields[] = {
      {"version", Value::Integer(kRecordVersion)},
      {"server", Value::Object(server)},
      {"database", Value::Text(record.database)},
      {"server_version", Value::Text(record.server_version)},
      {"settings", Value::Object(settings)},
      {"started", Value::Text(started)},
      {"ended", Value::Text(ended)},
      {"complete", Value::Bool(record.complete)},
      {"plan", rule ? Value::Object(plan) : Value::Null()}};
  writer.Member("record", Value::Object(fields));
}

// Each method's figure of a table as an object {"row", "page"}.
struct ByMethodFields {
  std::array<Field, 2> fields;
  Value Of(Value row, Value page) {
    fields = {Field{"row", row}, Field{"page", page}};
    return Value::Object(fields);
  }
};

void WriteTable(ResultWriter& writer, const TableRecord& t, bool listed,
                const PlanLine* line) {
  ByMethodFields lengths, compressed, saved;
  const Field basis[] = {{"full", Value::Integer(t.basis.full)},
                         {"sampled", Value::Integer(t.basis.sampled)},
                         {"none", Value::Integer(t.basis.none)}};
  std::array<Field, 3> plan;
  if (line != nullptr) {
    plan = {Field{"recommendation",
                  Value::Text(RecommendationKey(
                      static_cast<int>(line->recommendation)))},
            Field{"better", Value::Text(MethodName(line->better))},
            Field{"saved_bytes", Bytes(line->saved_bytes)}};
  }
  const Field fields[] = {
      {"owner", Value::Text(t.owner)},
      {"table", Value::Text(t.table)},
      {"rows", Value::Decimal(t.row_count)},
      {"pages", Value::Decimal(t.pages_used)},
      {"page_size", Value::Integer(t.page_size)},
      {"row_length", Value::Decimal(t.row_length)},
      {"compressed_length",
       lengths.Of(Value::Decimal(t.compressed_length.row),
                  Value::Decimal(t.compressed_length.page))},
      {"allocated_bytes", Bytes(AllocatedBytes(t))},
      {"compressed_bytes",
       compressed.Of(Bytes(CompressedBytes(t, Method::kRow)),
                     Bytes(CompressedBytes(t, Method::kPage)))},
      {"saved_pct", saved.Of(Value::Decimal(SavedPct(t, Method::kRow)),
                             Value::Decimal(SavedPct(t, Method::kPage)))},
      {"basis", Value::Object(basis)},
      {"listed", Value::Bool(listed)},
      {"plan", Value::Object(plan), line != nullptr ? FieldIn::kJson
                                                    : FieldIn::kDelimited}};
  writer.Record(fields);
}

}  // namespace

std::string_view RecommendationKey(int recommendation) {
  static constexpr std::string_view kKeys[] = {"page", "row", "leave",
                                               "no_statistics"};
  return recommendation >= 0 && recommendation < 4 ? kKeys[recommendation]
                                                   : "";
}

void WriteRecordMembers(ResultWriter& writer, const RunRecord& record,
                        std::optional<PlanRule> plan) {
  WriteRecordMember(writer, record, plan);
  std::vector<bool> listed(record.tables.size());
  for (int32_t i : record.listed) listed[static_cast<size_t>(i)] = true;
  writer.BeginList("record_tables", {});
  for (size_t i = 0; i < record.tables.size(); ++i) {
    const TableRecord& table = record.tables[i];
    if (plan) {
      const PlanLine line = PlanFor(table, *plan);
      WriteTable(writer, table, listed[i], &line);
    } else {
      WriteTable(writer, table, listed[i], nullptr);
    }
  }
  writer.EndList();
}

void WriteFailedDatabase(ByteSink& sink, const std::string& name,
                         const RunRecord& record) {
  sink.Write("{\"database\": " + JsonString(name) +
             ", \"error\": " + JsonString(record.failure) +
             ", \"server\": {\"name\": " + JsonString(record.server.name) +
             ", \"host\": " + JsonString(record.server.host) + "}}\n");
}

}  // namespace tce
