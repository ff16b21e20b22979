// TypeStatisticsTable: the per-type savings the estimate is read from,
// addressed by type index t, similar-column count n, size class s and
// cardinality class k. Filled once at start-up by the five builders and only
// read afterwards.
#ifndef TCE_ENGINE_TYPE_STATISTICS_H_
#define TCE_ENGINE_TYPE_STATISTICS_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/column_types.h"
#include "engine/fixed4.h"

namespace tce {

struct TypeStatEntry {
  Fixed4 PagePct;  // saving under page compression, in percent
  Fixed4 RowPct;   // saving under row compression, in percent
};

class TypeStatisticsTable {
 public:
  static constexpr int kTypeIndexes = 17;  // t: 0 to 16
  static constexpr int kCounts = 17;       // n: 0 to 16
  static constexpr int kSizeClasses = 17;  // s: 0 to 16
  static constexpr int kCardClasses = 5;   // k: 0 to 4

  // Every entry zero.
  TypeStatisticsTable()
      : entries_(kTypeIndexes * kCounts * kSizeClasses * kCardClasses) {}

  // The indexes must lie within the bounds above.
  const TypeStatEntry& at(int t, int n, int s, int k) const {
    return entries_[Index(t, n, s, k)];
  }
  TypeStatEntry& at(int t, int n, int s, int k) {
    return entries_[Index(t, n, s, k)];
  }
  static bool InBounds(int t, int n, int s, int k) {
    return t >= 0 && t < kTypeIndexes && n >= 0 && n < kCounts && s >= 0 &&
           s < kSizeClasses && k >= 0 && k < kCardClasses;
  }

 private:
  // The type index varies fastest, then n, then s, then k.
  static size_t Index(int t, int n, int s, int k) {
    return static_cast<size_t>(t + kTypeIndexes *
                                       (n + kCounts * (s + kSizeClasses * k)));
  }

  std::vector<TypeStatEntry> entries_;
};

// Stores the two percentages at [TypeIndexOf(type)][n][s][k]. Indexes
// outside the table are ignored.
void StoreTypeStatistic(TypeStatisticsTable& table, ColumnType type, int16_t n,
                        int16_t s, int16_t k, Fixed4 page_pct,
                        Fixed4 row_pct);

// The builders, each storing its fixed list of entries.
void BuildCharacterStatistics(TypeStatisticsTable& table);
void BuildFloatStatistics(TypeStatisticsTable& table);
void BuildDateTimeStatistics(TypeStatisticsTable& table);
void BuildIntegerStatistics(TypeStatisticsTable& table);
void BuildDecimalStatistics(TypeStatisticsTable& table);

// Runs the five builders in start-up order: character, float, date-time,
// integer, decimal.
void BuildTypeStatistics(TypeStatisticsTable& table);

}  // namespace tce

#endif  // TCE_ENGINE_TYPE_STATISTICS_H_
