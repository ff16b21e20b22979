// Every figure of an estimate explained: a column's saving from the
// catalog values and the statistics-table entry it was read from, a table's
// row lengths from their parts, and its sizes from the row lengths, in words
// and numbers a reader can recompute by hand. The explanation is what
// Compute kept while it estimated (no second computation).
#ifndef TCE_MODEL_EXPLAIN_H_
#define TCE_MODEL_EXPLAIN_H_

#include <array>
#include <span>
#include <string>

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

}  // namespace tce

#endif  // TCE_MODEL_EXPLAIN_H_
