// The cardinality estimator: the number of distinct values of a column from
// its stored distribution and the table's row count.
//
// The distribution's first chunk starts with a summary header
//   TVD1;s=<rows sampled>;d=<distinct in the sample>;f1=<seen once>[;...]
// (fields key=value separated by ";", unsigned decimal integers, unknown
// keys ignored). It is unreadable when it does not start with TVD1, when s,
// d or f1 is missing, repeated or not a plain unsigned number, or when
// d > s or f1 > d.
#ifndef TCE_ENGINE_CARDINALITY_H_
#define TCE_ENGINE_CARDINALITY_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/fixed4.h"

namespace tce {

// Where a column's cardinality came from.
enum class ColumnBasis : uint8_t {
  kFull,     // a distribution built from all rows: the count is exact
  kSampled,  // built from a sample of the rows: the count is estimated
  kNone,     // no distribution, or one that cannot be read (or an empty
             // sample): every row is taken as distinct
};

struct DistributionSummary {
  uint64_t sampled = 0;   // s
  uint64_t distinct = 0;  // d
  uint64_t singles = 0;   // f1
};

// The summary header, or nullopt when the text is empty or unreadable.
std::optional<DistributionSummary> ReadDistributionSummary(
    std::string_view distribution);

// The estimated number of distinct values, always finite and not negative:
// - empty or unreadable distribution: `rows` when above 0 (every value
//   assumed distinct), otherwise 0;
// - built from all rows (s >= rows, or rows <= 0): d;
// - sampled: the Haas-Stokes Duj1 estimate s*d / (s - f1 + f1*s/rows),
//   kept between d and rows (an empty sample knows nothing: rows).
// The text is the column's own distribution, which an estimator may
// rewrite; this one leaves it as it is.
double getCard(std::string& distribution, double rows);

// What every caller does with a column: calls getCard on the column's
// distribution with the row count, and rounds the result to four decimals.
// `basis` and `sample` (when given) say what the figure rests on: the
// sample's size for a sampled distribution.
Fixed4 CardinalityOf(std::string& distribution, Fixed4 row_count,
                     ColumnBasis* basis = nullptr, uint64_t* sample = nullptr);

// What getCard's figure for this distribution and row count rests on.
ColumnBasis BasisOf(const std::optional<DistributionSummary>& summary,
                    double rows);

}  // namespace tce

#endif  // TCE_ENGINE_CARDINALITY_H_
