// How figures read for people, in one place: percentages, sizes, counts,
// what an estimate rests on, and dates. Files meant for programs keep raw
// numbers and do not come here.
#ifndef TCE_MODEL_FORMAT_H_
#define TCE_MODEL_FORMAT_H_

#include <chrono>
#include <cstdint>
#include <string>

#include "engine/cardinality.h"
#include "engine/fixed4.h"
#include "model/run_record.h"

namespace tce {

using TimePoint = std::chrono::system_clock::time_point;

// A percentage to the whole number, halves to even: "42".
std::string WholePercentText(double pct);
// A ratio as the pattern "##0%": times 100, rounded, at least one digit,
// then "%": 0.4567 gives "46%".
std::string RatioPercentText(double ratio);
// A percentage with one decimal: "42.5 %" (0 when it is not finite).
std::string PercentText(double pct);
// An exact saving as the estimate keeps it: "33.3333 %".
std::string PercentText(Fixed4 pct);

// "1.2 GB": bytes in kB, MB, GB or TB (of 1024), or "512 bytes": sizes
// in files and on standard error (the report, the summaries), as they have
// always been written.
std::string HumanBytes(double bytes);
// "1.2 G": the same in K, M, G or T, the units of the windows' own sizes
// ("Size(K)", the " M" of the minimum size): sizes in every window.
std::string ScreenBytes(double bytes);
// A change in size, a minus sign (U+2212) before a fall: "\u22122.0 MB" in
// files' units, "\u22122.0 M" with `screen`.
std::string SignedBytes(double change, bool screen);
// The unit of a chart's axis: the largest of bytes, K, M, G and T (kB,
// MB, GB and TB with `file_units`, as in files and the report) that keeps
// `top` at 1 or more.
struct ByteScale {
  double bytes;
  const char* unit;
};
ByteScale ByteScaleFor(double top, bool file_units = false);
// A count for people: 9,500; 340 k; 1.2 M; 3.4 G.
std::string HumanCount(double count);
// Whole numbers with thousands separators: 1,200,000.
std::string Grouped(uint64_t count);

// A column's basis as the details grid shows it: "full", "sampled 2,000
// of 1.2 M" or "none".
std::string BasisText(ColumnBasis basis, uint64_t sample, Fixed4 rows);
// What the basis means for the estimate, for the cell's tooltip.
std::string BasisExplanation(ColumnBasis basis, uint64_t sample, Fixed4 rows);
// What a table's estimate rests on, as a results row's tooltip.
std::string BasisSummary(const TableRecord& table);

// A moment in local time to the minute: "2026-12-09 05:41".
std::string LocalMinuteText(TimePoint when);
// A moment for files: UTC to the millisecond, ISO 8601
// ("2026-12-09T05:41:22.123Z").
std::string IsoTimeText(TimePoint when);
// The moment of such a text, or false when it is not one.
bool ParseIsoTime(const std::string& text, TimePoint* when);

}  // namespace tce

#endif  // TCE_MODEL_FORMAT_H_
