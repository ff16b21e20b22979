// What each figure of an estimate comes from, as fields of the results'
// records: a column's lookup, and a table's row lengths and savings.
#ifndef TCE_OUTPUT_EXPLAIN_FIELDS_H_
#define TCE_OUTPUT_EXPLAIN_FIELDS_H_

#include <array>
#include <span>

#include "engine/compute.h"
#include "model/formulas.h"
#include "model/run_record.h"
#include "output/result_writer.h"

namespace tce {

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
  TableExplainFields(const TableExplanation& explanation,
                     const TableRecord& table);
  std::span<const Field> fields() const { return fields_; }

 private:
  std::array<Field, 7> lookup_;
  std::array<Field, 25> fields_;
};

}  // namespace tce

#endif  // TCE_OUTPUT_EXPLAIN_FIELDS_H_
