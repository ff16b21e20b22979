#include "actions/results_output.h"

#include <cstdio>

#include "base/number_text.h"

namespace tce {

TableFields::TableFields(const TableRecord& table, Shown shown) {
  const StatisticsBasis& b = table.basis;
  Value statistics = Value::Object({statistics_.data(), 1});
  if (table.HasStatistics()) {
    statistics_ = {Field{"columns", Value::Integer(b.columns())},
                   Field{"full", Value::Integer(b.full)},
                   Field{"sampled", Value::Integer(b.sampled)},
                   Field{"none", Value::Integer(b.none)}};
    statistics = Value::Object(statistics_);
  } else {
    statistics_[0] = Field{"none", Value::Bool(true)};
  }
  auto cell = [&](int col) {
    return Value::Number(CellValue(table, shown, col));
  };
  fields_ = {Field{"owner", Value::Text(table.owner)},
             Field{"table", Value::Text(table.table)},
             Field{"count", Value::Decimal(table.row_count)},
             Field{"size", cell(kSizeCol)},
             Field{"compressed", cell(kCompressedCol)},
             Field{"saved_pct", cell(kSavedCol)},
             Field{"page_size", cell(kPageSizeCol)},
             Field{"statistics", statistics, FieldIn::kJson}};
}

ColumnFields::ColumnFields(const TableRecord& table,
                           const CatalogColumnRow& column) {
  auto add = [&](Field field) { fields_[count_++] = field; };
  add({"owner", Value::Text(table.owner)});
  add({"table", Value::Text(table.table)});
  add({"column", Value::Text(column.ColumnName)});
  add({"type", Value::Text(TypeNameOf(column.Type))});
  add({"bytes", Value::Integer(column.ByteLength)});
  add({"saved_pct", Value::Decimal(column.CompressionPct)});
  switch (column.Basis) {
    case ColumnBasis::kFull:
      statistics_text_ = "full";
      add({"basis", Value::Text("full"), FieldIn::kJson});
      break;
    case ColumnBasis::kSampled:
      statistics_text_ = "sampled " + std::to_string(column.SampleSize) +
                         " of " + column.RowCount.ToText();
      add({"basis", Value::Text("sampled"), FieldIn::kJson});
      add({"sample", Value::Integer(static_cast<int64_t>(column.SampleSize)),
           FieldIn::kJson});
      add({"rows", Value::Decimal(column.RowCount), FieldIn::kJson});
      break;
    case ColumnBasis::kNone:
      statistics_text_ = "none";
      add({"basis", Value::Text("none"), FieldIn::kJson});
      break;
  }
  add({"statistics", Value::Text(statistics_text_), FieldIn::kDelimited});
}

std::vector<std::string> ColumnHeaderTexts(const MessageTable& m) {
  return {m[Msg::kSchema], m[Msg::kTable], m[Msg::kColumn],
          m[Msg::kType],   m[Msg::kBytes], m[Msg::kSaved],
          "Statistics"};
}

void WriteTableList(ResultWriter& writer, const MessageTable& messages,
                    const RunRecord& record, std::span<const int32_t> order) {
  const Shown shown = record.shown();
  const std::array<std::string, 7> header =
      ResultsHeaderTexts(messages, shown.unit);
  writer.BeginList("tables", header);
  for (const int32_t index : order) {
    const TableFields fields(record.tables[static_cast<size_t>(index)], shown);
    writer.Record(fields.fields());
  }
  writer.EndList();
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

}  // namespace tce
