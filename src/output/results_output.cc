#include "output/results_output.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "base/number_text.h"
#include "model/format.h"
#include "output/record_document.h"

namespace tce {

TableFields::TableFields(const TableRecord& table, Shown shown,
                         const TableExplanation* explanation) {
  const StatisticsBasis& b = table.basis;
  Value statistics = Value::Object({statistics_.data(), 1});
  if (HasStatistics(table)) {
    statistics_ = {Field{"columns", Value::Integer(b.columns())},
                   Field{"full", Value::Integer(b.full)},
                   Field{"sampled", Value::Integer(b.sampled)},
                   Field{"none", Value::Integer(b.none)}};
    statistics = Value::Object(statistics_);
  } else {
    statistics_[0] = Field{"none", Value::Bool(true)};
  }

  fields_ = {Field{"owner", Value::Text(table.owner)},
             Field{"table", Value::Text(table.table)},
             Field{"count", Value::Decimal(table.row_count)},
             Field{"size", Value::Number(ShownSize(table, shown.unit))},
             Field{"compressed", Value::Number(ShownCompressed(table, shown))},
             Field{"saved_pct",
                   Value::Number(SavedWholePct(table, shown.method))},
             Field{"page_size", Value::Integer(table.page_size)},
             Field{"statistics", statistics, FieldIn::kJson},
             Field{}};
  if (explanation != nullptr) {
    explain_.emplace(*explanation, table);
    fields_[count_++] = Field{"explain", Value::Object(explain_->fields()),
                              FieldIn::kJson};
  }
}

ColumnFields::ColumnFields(const TableRecord& table,
                           const CatalogColumnRow& column, bool explain) {
  auto add = [&](Field field) { fields_[count_++] = field; };
  add({"owner", Value::Text(table.owner)});
  add({"table", Value::Text(table.table)});
  add({"column", Value::Text(column.ColumnName)});
  add({"type", Value::Text(TypeNameOf(column.Type))});
  add({"bytes", Value::Integer(column.ByteLength)});
  add({"saved_pct", Value::Decimal(column.CompressionPct)});
  switch (column.Basis) {
    case ColumnBasis::kFull:
      statistics_length_ = std::copy_n("full", 4, statistics_text_.data()) -
                           statistics_text_.data();
      add({"basis", Value::Text("full"), FieldIn::kJson});
      break;
    case ColumnBasis::kSampled:
    {
      // Built in place: written for every column of large results.
      char* end = std::copy_n("sampled ", 8, statistics_text_.data());
      end = std::to_chars(end, end + 20, column.SampleSize).ptr;
      end = std::copy_n(" of ", 4, end);
      end = column.RowCount.ToChars(end);
      statistics_length_ = static_cast<size_t>(end - statistics_text_.data());
    }
      add({"basis", Value::Text("sampled"), FieldIn::kJson});
      add({"sample", Value::Integer(static_cast<int64_t>(column.SampleSize)),
           FieldIn::kJson});
      add({"rows", Value::Decimal(column.RowCount), FieldIn::kJson});
      break;
    case ColumnBasis::kNone:
      statistics_length_ = std::copy_n("none", 4, statistics_text_.data()) -
                           statistics_text_.data();
      add({"basis", Value::Text("none"), FieldIn::kJson});
      break;
  }
  add({"statistics",
       Value::Text({statistics_text_.data(), statistics_length_}),
       FieldIn::kDelimited});
  if (!explain) return;
  explain_.emplace(column);
  add({"explain", Value::Object(explain_->fields()), FieldIn::kFlat});
}

std::vector<std::string> ColumnHeaderTexts(const MessageTable& m,
                                           bool explain) {
  std::vector<std::string> header = {m[Msg::kSchema], m[Msg::kTable],
                                     m[Msg::kColumn], m[Msg::kType],
                                     m[Msg::kBytes],  m[Msg::kSaved],
                                     "Statistics"};
  if (explain) {
    for (const char* name :
         {"Storage", "Size Class", "Similar", "Cardinality", "Own Class",
          "Class", "Type Index", "Entry Found", "Entry Row %", "Entry Page %"})
      header.push_back(name);
  }
  return header;
}

void WriteTableList(ResultWriter& writer, const MessageTable& messages,
                    const RunRecord& record, std::span<const int32_t> order,
                    const std::vector<TableExplanation>* traces) {
  const std::array<std::string, 7> header =
      ResultsHeaderTexts(messages, record.shown().unit);
  writer.BeginList("tables", header);
  WriteTableRecords(writer, record, order, traces);
  writer.EndList();
}

void WriteTableRecords(ResultWriter& writer, const RunRecord& record,
                       std::span<const int32_t> order,
                       const std::vector<TableExplanation>* traces) {
  const Shown shown = record.shown();
  for (const int32_t index : order) {
    const size_t i = static_cast<size_t>(index);
    const TableExplanation* explanation =
        traces != nullptr && i < traces->size() ? &(*traces)[i] : nullptr;
    const TableFields fields(record.tables[i], shown, explanation);
    writer.Record(fields.fields());
  }
}

void WriteSettingsMember(ResultWriter& writer, const RunSettings& s) {
  const Field fields[] = {
      {"min_compression", Value::Integer(s.MinCompressionPct)},
      {"min_size_mb", Value::Integer(s.MinTableSizeMB)},
      {"ignore_tables_without_statistics",
       Value::Bool(s.IgnoreTablesWithoutStats)},
      {"cardinality", Value::Text(s.UseMaxCardinality ? "max" : "column")},
      {"compression",
       Value::Text(s.EstimatePageCompression ? "page" : "row")},
      {"unit", Value::Text(s.ShowPageSavings ? "pages" : "kilobytes")}};
  writer.Member("settings", Value::Object(fields));
}

void WriteTotalsMember(ResultWriter& writer, const RunRecord& record) {
  const ResultTotals totals = TotalsOf(record);
  char saved[32];
  std::snprintf(saved, sizeof saved, "%.4f", totals.saved_pct);
  const std::string size = FormatNumber(totals.size_bytes);
  const std::string compressed = FormatNumber(totals.compressed_bytes);
  const Field fields[] = {
      {"tables", Value::Integer(static_cast<int64_t>(totals.tables))},
      {"size_bytes", Value::NumberText(size)},
      {"compressed_bytes", Value::NumberText(compressed)},
      {"saved_pct", Value::NumberText(saved)}};
  writer.Member("totals", Value::Object(fields));
}

namespace {

// Whole bytes.
double Bytes(double bytes) { return RoundHalfEven(bytes); }

// The keys of the recommendations in the JSON totals.
constexpr const char* kPlanKeys[kRecommendations] = {"page", "row", "leave",
                                                     "no_statistics"};

}  // namespace

std::vector<std::string> PlanHeaderTexts() {
  return {"Schema",          "Table",          "Count",
          "Pages",           "Page Size",      "Size (bytes)",
          "Row Compressed (bytes)", "Page Compressed (bytes)", "Row %Saved",
          "Page %Saved",     "Recommendation", "Saved (bytes)"};
}

void WritePlanRecords(ResultWriter& writer, const Plan& plan) {
  for (int row = 0; row < plan.Count(); ++row) {
    const TableRecord& t = plan.Table(row);
    const PlanLine& line = plan.Line(row);
    const bool estimated = HasStatistics(t);
    const Value row_bytes = estimated
                                ? Value::Number(Bytes(CompressedBytes(t, Method::kRow)))
                                : Value::Null();
    const Value page_bytes =
        estimated ? Value::Number(Bytes(CompressedBytes(t, Method::kPage)))
                  : Value::Null();
    const Field fields[] = {
        {"owner", Value::Text(t.owner)},
        {"table", Value::Text(t.table)},
        {"count", Value::Decimal(t.row_count)},
        {"pages", Value::Decimal(t.pages_used)},
        {"page_size", Value::Integer(t.page_size)},
        {"size_bytes", Value::Number(Bytes(AllocatedBytes(t)))},
        {"row_compressed_bytes", row_bytes},
        {"page_compressed_bytes", page_bytes},
        {"row_saved_pct", Value::Number(SavedWholePct(t, Method::kRow))},
        {"page_saved_pct", Value::Number(SavedWholePct(t, Method::kPage))},
        {"recommendation", Value::Text(RecommendationName(line.recommendation))},
        {"saved_bytes", Value::Number(Bytes(line.saved_bytes))}};
    writer.Record(fields);
  }
}

void WritePlanDocument(ResultWriter& writer, const Plan& plan) {
  writer.BeginDocument();
  // The rule the lines follow, which the lines alone do not say.
  writer.Note("Plan: page only with " + std::to_string(plan.rule().margin) +
              " points more than row, from a saving of " +
              std::to_string(plan.rule().threshold) + " %");
  WritePlanMembers(writer, plan);
  if (writer.KeepsDocuments())
    WriteRecordMembers(writer, plan.record(), plan.rule());
  writer.EndDocument();
}

void WritePlanMembers(ResultWriter& writer, const Plan& plan) {
  const RunRecord& record = plan.record();
  writer.Member("database", Value::Text(record.database));
  WriteSettingsMember(writer, record.settings);
  const Field rule[] = {{"margin", Value::Integer(plan.rule().margin)},
                        {"threshold", Value::Integer(plan.rule().threshold)}};
  writer.Member("plan", Value::Object(rule));
  writer.BeginList("tables", PlanHeaderTexts());
  WritePlanRecords(writer, plan);
  writer.EndList();
  std::array<std::array<Field, 4>, kRecommendations> groups;
  std::array<Field, kRecommendations> totals;
  for (size_t i = 0; i < groups.size(); ++i) {
    const PlanGroup& group = plan.totals()[i];
    groups[i] = {Field{"tables", Value::Integer(group.tables)},
                 Field{"size_bytes", Value::Number(Bytes(group.size_bytes))},
                 Field{"after_bytes", Value::Number(Bytes(group.after_bytes))},
                 Field{"saved_bytes", Value::Number(Bytes(group.saved_bytes))}};
    totals[i] = Field{kPlanKeys[i], Value::Object(groups[i])};
  }
  writer.Member("totals", Value::Object(totals));
}

std::string PlanSummary(const PlanTotals& totals) {
  std::string text;
  for (int i = 0; i < kRecommendations; ++i) {
    const PlanGroup& group = totals[static_cast<size_t>(i)];
    text += std::string(RecommendationName(static_cast<Recommendation>(i))) +
            ": " + std::to_string(group.tables) +
            (group.tables == 1 ? " table, " : " tables, ") +
            HumanBytes(group.size_bytes) + " now, " +
            HumanBytes(group.after_bytes) + " after, " +
            HumanBytes(group.saved_bytes) + " saved\n";
  }
  return text;
}

}  // namespace tce
