// The results as records for a ResultWriter: a listed table's fields (the
// export's columns, and in JSON what its estimate rests on), a column's
// fields, the run's settings and totals. The windows' export and the
// command-line tool write the same records.
#ifndef TCE_ACTIONS_RESULTS_OUTPUT_H_
#define TCE_ACTIONS_RESULTS_OUTPUT_H_

#include <array>
#include <span>
#include <string>
#include <vector>

#include "base/message_table.h"
#include "engine/compute.h"
#include "model/run_record.h"
#include "actions/plan.h"
#include "actions/result_writer.h"

namespace tce {

// A listed table: owner, table, count, size, compressed, saved_pct and
// page_size as the grid shows them, and (JSON) statistics.
class TableFields {
 public:
  TableFields(const TableRecord& table, Shown shown);
  TableFields(const TableFields&) = delete;
  TableFields& operator=(const TableFields&) = delete;
  std::span<const Field> fields() const { return fields_; }

 private:
  std::array<Field, 4> statistics_;
  std::array<Field, 8> fields_;
};

// One column of a table: owner, table, column, type, bytes, saved_pct and
// what its cardinality rests on (delimited: one Statistics field; JSON:
// basis, and sample and rows when sampled).
class ColumnFields {
 public:
  ColumnFields(const TableRecord& table, const CatalogColumnRow& column);
  ColumnFields(const ColumnFields&) = delete;
  ColumnFields& operator=(const ColumnFields&) = delete;
  std::span<const Field> fields() const { return {fields_.data(), count_}; }

 private:
  std::string statistics_text_;
  std::array<Field, 10> fields_;
  size_t count_ = 0;
};

// The header texts of the column lines.
std::vector<std::string> ColumnHeaderTexts(const MessageTable& messages);

// The "tables" list: the header, then the tables at `order` (indexes into
// the record's tables).
void WriteTableList(ResultWriter& writer, const MessageTable& messages,
                    const RunRecord& record, std::span<const int32_t> order);

// The run's settings as a JSON member's fields, and the totals.
void WriteSettingsMember(ResultWriter& writer, const RunSettings& settings);
void WriteTotalsMember(ResultWriter& writer, const RunRecord& record);

// The plan as a document: the run's database and settings, the rule, one
// line per table in the plan's order (owner, table, rows, pages, page
// size, size in bytes, compressed size in bytes by row and by page
// compression, row and page saving as the results grid shows them, the
// recommendation, the bytes it saves) and the totals by recommendation.
void WritePlanDocument(ResultWriter& writer, const Plan& plan);
// The totals by recommendation, one line each, for people.
std::string PlanSummary(const PlanTotals& totals);

}  // namespace tce

#endif  // TCE_ACTIONS_RESULTS_OUTPUT_H_
