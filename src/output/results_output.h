// The results as records for a ResultWriter: a listed table's fields (the
// export's columns, and in JSON what its estimate rests on), a column's
// fields, the run's settings and totals. The windows' export and the
// command-line tool write the same records.
#ifndef TCE_OUTPUT_RESULTS_OUTPUT_H_
#define TCE_OUTPUT_RESULTS_OUTPUT_H_

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/message_table.h"
#include "engine/compute.h"
#include "model/explain.h"
#include "model/figures.h"
#include "model/grid_columns.h"
#include "model/plan.h"
#include "model/run_record.h"
#include "output/explain_fields.h"
#include "output/result_writer.h"

namespace tce {

// A listed table: owner, table, count, size, compressed, saved_pct and
// page_size as the grid shows them, and (JSON) statistics.
class TableFields {
 public:
  // With `trace`, the table's explanation follows (JSON only).
  TableFields(const TableRecord& table, Shown shown,
              const TableExplanation* explanation = nullptr);
  TableFields(const TableFields&) = delete;
  TableFields& operator=(const TableFields&) = delete;
  std::span<const Field> fields() const { return {fields_.data(), count_}; }

 private:
  std::array<Field, 4> statistics_;
  std::optional<TableExplainFields> explain_;
  std::array<Field, 9> fields_;
  size_t count_ = 8;
};

// One column of a table: owner, table, column, type, bytes, saved_pct and
// what its cardinality rests on (delimited: one Statistics field; JSON:
// basis, and sample and rows when sampled).
class ColumnFields {
 public:
  // With `explain`, what the saving comes from follows (delimited: one
  // field each; JSON: an "explain" object).
  ColumnFields(const TableRecord& table, const CatalogColumnRow& column,
               bool explain = false);
  ColumnFields(const ColumnFields&) = delete;
  ColumnFields& operator=(const ColumnFields&) = delete;
  std::span<const Field> fields() const { return {fields_.data(), count_}; }

 private:
  // "sampled S of ROWS", "full" or "none".
  std::array<char, 8 + 20 + 4 + Fixed4::kMaxTextLength> statistics_text_;
  size_t statistics_length_ = 0;
  std::optional<ColumnExplainFields> explain_;
  std::array<Field, 12> fields_;
  size_t count_ = 0;
};

// The header texts of the column lines, with the explanation's.
std::vector<std::string> ColumnHeaderTexts(const MessageTable& messages,
                                           bool explain = false);

// The "tables" list: the header, then the tables at `order` (indexes into
// the record's tables); with `traces` (by table index), each table's
// explanation.
void WriteTableList(ResultWriter& writer, const MessageTable& messages,
                    const RunRecord& record, std::span<const int32_t> order,
                    const std::vector<TableExplanation>* traces = nullptr);
// The records of WriteTableList's list alone, for a list that holds
// several runs' tables.
void WriteTableRecords(ResultWriter& writer, const RunRecord& record,
                       std::span<const int32_t> order,
                       const std::vector<TableExplanation>* traces = nullptr);

// The run's settings as a JSON member's fields, and the totals.
void WriteSettingsMember(ResultWriter& writer, const RunSettings& settings);
void WriteTotalsMember(ResultWriter& writer, const RunRecord& record);

// The plan as a document (the plan window's export): delimited, a first
// line with the rule; then the run's database and settings, the rule, one
// line per table in the plan's order (owner, table, rows, pages, page
// size, size in bytes, compressed size in bytes by row and by page
// compression, row and page saving as the results grid shows them, the
// recommendation, the bytes it saves) and the totals by recommendation.
void WritePlanDocument(ResultWriter& writer, const Plan& plan);
// The same without the document's braces and its record.
void WritePlanMembers(ResultWriter& writer, const Plan& plan);
// The plan list's header texts and its records alone, for a list that
// holds several runs' plans.
std::vector<std::string> PlanHeaderTexts();
void WritePlanRecords(ResultWriter& writer, const Plan& plan);
// The totals by recommendation, one line each, for people.
std::string PlanSummary(const PlanTotals& totals);

}  // namespace tce

#endif  // TCE_OUTPUT_RESULTS_OUTPUT_H_
