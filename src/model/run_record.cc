#include "model/run_record.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/number_text.h"
#include "model/figures.h"
#include "model/format.h"

namespace tce {

SavingClass SavingClassOf(Fixed4 pct) {
  if (pct < Fixed4::FromInt(20)) return SavingClass::kLow;
  if (pct < Fixed4::FromInt(50)) return SavingClass::kMedium;
  return SavingClass::kHigh;
}

Shown Shown::By(const RunSettings& settings) {
  return {settings.EstimatePageCompression ? Method::kPage : Method::kRow,
          settings.ShowPageSavings ? SizeUnit::kPages : SizeUnit::kKilobytes};
}

ResultTotals TotalsOf(const RunRecord& record) {
  const Shown shown = record.shown();
  ResultTotals totals;
  totals.complete = record.complete;
  totals.tables = record.listed.size();
  for (size_t i = 0; i < record.listed.size(); ++i) {
    const TableRecord& table = record.Listed(i);
    if (!HasStatistics(table)) continue;
    totals.size_bytes += ShownSizeBytes(table, shown.unit);
    totals.compressed_bytes += ShownCompressedBytes(table, shown);
  }
  if (totals.size_bytes > 0) {
    totals.saved_pct = (totals.size_bytes - totals.compressed_bytes) * 100.0 /
                       totals.size_bytes;
  }
  return totals;
}

std::string TotalsLine(const ResultTotals& totals, bool screen) {
  const auto bytes = screen ? ScreenBytes : HumanBytes;
  return std::string(totals.complete
                         ? ""
                         : "Run incomplete (an error stopped it; Continue "
                           "runs it again): ") +
         std::to_string(totals.tables) +
         (totals.tables == 1 ? " table listed: " : " tables listed: ") +
         bytes(totals.size_bytes) + ", " +
         bytes(totals.compressed_bytes) + " compressed, " + WholePercentText(totals.saved_pct) +
         " % saved";
}

}  // namespace tce

namespace tce {

std::string TotalsDefinition(SizeUnit unit, Method method) {
  const std::string compressed =
      std::string("compressed: the same less the estimated saving of ") +
      MethodName(method) + " compression";
  if (unit == SizeUnit::kPages) {
    return "The listed tables with statistics. Size: their pages in use times "
           "their page size (the space allocated to them); " +
           compressed + ", as the Comp Pages column shows it.";
  }
  return "The listed tables with statistics. Size: their rows times their "
         "estimated row length, in whole kilobytes as the Size(K) column "
         "shows it (not the space allocated to them); " +
         compressed + ".";
}

}  // namespace tce
