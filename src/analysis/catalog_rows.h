// Turning one row of the catalog query into a CatalogColumnRow: the table's
// statistics, the column's type name, byte length, storage class,
// distribution and cardinality.
#ifndef TCE_ANALYSIS_CATALOG_ROWS_H_
#define TCE_ANALYSIS_CATALOG_ROWS_H_

#include "db/statement.h"
#include "engine/compute.h"
#include "base/debug_log.h"

namespace tce {

// Fills `row` from the current StatementResult (query columns 3 to 9). A
// value whose text does not convert leaves its field as a fresh row has it.
void FillColumnRow(const StatementLayer& statements, CatalogColumnRow& row,
                   const Reporter& reporter);

}  // namespace tce

#endif  // TCE_ANALYSIS_CATALOG_ROWS_H_
