// Every figure of a table by a name that says what it measures. The grids,
// their totals line, the summary chart, the plan, the outputs, the report
// and the explanations read a table's figures here and nowhere else.
//
// Two sizes are at work, because the grids show a specified figure of
// their own per unit: in pages the size is the pages in use (allocated
// bytes: pages times the page size); in kilobytes it is the estimated bytes
// of the rows (rows times the row length). Everything that sums sizes says
// which of the two it sums.
#ifndef TCE_MODEL_FIGURES_H_
#define TCE_MODEL_FIGURES_H_

#include <cstdint>

#include "base/run_settings.h"
#include "engine/compute.h"
#include "engine/fixed4.h"
#include "model/run_record.h"

namespace tce {

// Whether the catalog gave the table statistics: a row count above 0. The
// one rule of the sizes, totals, plan, report and outputs.
bool HasStatistics(const TableRecord& table);
// The table details' caption says "(No statistics available)" and hides
// the chart only for a negative count: a count of 0 is a table whose
// statistics say it is empty, charted at 0, as the details always did.
bool CaptionSaysNoStatistics(const TableRecord& table);
// The summary chart adds a marked table's sizes when its count, rounded to
// a whole number as the chart reads its cells, is above 0.
bool SummaryAddsSizes(const TableRecord& table);

// The pages in use times the page size, for any table (a negative page
// count or page size counts as 0): the space the table takes.
double AllocatedBytes(const TableRecord& table);
// The allocated bytes when the table has statistics, else 0: the size the
// estimate's savings are a share of.
double EstimatedBytes(const TableRecord& table);
// The rows times the row length, when the table has statistics, else 0.
double RowBytes(const TableRecord& table);
// The rows times the compressed row length of `method`; 0 without
// statistics.
double CompressedRowBytes(const TableRecord& table, Method method);

// The saving of `method` in percent, 0 to 100, before rounding: what the
// row lengths give, exactly as the estimate computed it.
Fixed4 SavedPct(const TableRecord& table, Method method);
// The whole percentage the grids show: the largest whole number not above
// SavedPct.
double SavedWholePct(const TableRecord& table, Method method);
// The estimated bytes compressed by `method`, and what that saves.
double CompressedBytes(const TableRecord& table, Method method);
double SavedBytes(const TableRecord& table, Method method);

// Whether a run lists the table: its saving by the run's method reaches
// the minimum compression (a table exactly at the minimum is listed).
bool ReachesMinimum(const TableRecord& table, const RunSettings& settings);

// The grids' size cells: whole numbers in the unit. Pages: the pages in
// use, compressed the saved share of them floored; kilobytes: RowBytes and
// CompressedRowBytes floored to whole kilobytes. 0 without statistics; a
// compressed size that floors to 0 of a size above 0 is shown as 1, and it
// never exceeds the size.
double ShownSize(const TableRecord& table, SizeUnit unit);
double ShownCompressed(const TableRecord& table, Shown shown);
// The bytes of one shown unit: the table's page size, or 1024.
double BytesPerUnit(const TableRecord& table, SizeUnit unit);
// The shown sizes in bytes: what the totals line and the report add up
// (allocated bytes in pages, the rows' bytes in whole kilobytes).
double ShownSizeBytes(const TableRecord& table, SizeUnit unit);
double ShownCompressedBytes(const TableRecord& table, Shown shown);

}  // namespace tce

#endif  // TCE_MODEL_FIGURES_H_
