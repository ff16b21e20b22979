// Every figure of an estimate explained: a column's saving from the
// catalog values and the statistics-table entry it was read from, a table's
// row lengths from their parts, and its sizes from the row lengths, in words
// and numbers a reader can recompute by hand. The explanation is what
// Compute kept while it estimated (no second computation).
#ifndef TCE_ACTIONS_EXPLAIN_H_
#define TCE_ACTIONS_EXPLAIN_H_

#include <array>
#include <span>
#include <string>

#include "actions/result_writer.h"
#include "engine/compute.h"
#include "model/run_record.h"

namespace tce {

// "fixed compressible", "fixed incompressible", "variable".
std::string_view StorageName(StorageClass storage);

// One column in words: "CHAR(32), fixed compressible, size class 15, 1
// similar column, about 1,200 distinct values of 1.2 M rows (class 2):
// statistics entry row 61 %, page 72 % → 72 %".
std::string ExplainColumn(const CatalogColumnRow& column, Method method);

// The whole table in words and numbers: each column's line, the row length
// and its parts, the variable part's estimate, the compressed row lengths,
// the saving, and how the shown size follows from them.
std::string ExplainTable(const EstimateContext& estimate,
                         const TableRecord& table, Shown shown);

// A column's explanation as fields: storage, size class, similar columns,
// cardinality, its own class and the class looked up, the type index, the
// entry found and its row and page percentages.
class ColumnExplainFields {
 public:
  explicit ColumnExplainFields(const CatalogColumnRow& column);
  std::span<const Field> fields() const { return fields_; }

 private:
  std::array<Field, 10> fields_;
};

// A table's explanation as fields (JSON): the row length and its parts, the
// variable part's estimate and lookup, the compressed row lengths and the
// savings of both methods.
class TableExplainFields {
 public:
  TableExplainFields(const TableTrace& trace, const TableRecord& table);
  std::span<const Field> fields() const { return fields_; }

 private:
  std::array<Field, 7> lookup_;
  std::array<Field, 17> fields_;
};

}  // namespace tce

#endif  // TCE_ACTIONS_EXPLAIN_H_
