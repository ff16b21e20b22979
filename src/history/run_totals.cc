#include "history/run_totals.h"

#include "model/figures.h"

namespace tce {

RunTotals TotalsOfRun(const RunRecord& record) {
  RunTotals totals;
  for (const TableRecord& table : record.tables) {
    ++totals.tables;
    totals.size_bytes += AllocatedBytes(table);
    totals.saved_bytes.row += SavedBytes(table, Method::kRow);
    totals.saved_bytes.page += SavedBytes(table, Method::kPage);
  }
  return totals;
}

}  // namespace tce
