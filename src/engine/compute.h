// The estimator: from the catalog rows of one table, each column's saving,
// the table's uncompressed and compressed row length and its compression
// percentage.
#ifndef TCE_ENGINE_COMPUTE_H_
#define TCE_ENGINE_COMPUTE_H_

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/debug_log.h"
#include "base/run_settings.h"
#include "engine/cardinality.h"
#include "engine/column_types.h"
#include "engine/fixed4.h"
#include "engine/type_statistics.h"

namespace tce {

// One column of one table, with that table's statistics.
struct CatalogColumnRow {
  Fixed4 PagesUsed;  // the table's pages in use
  Fixed4 RowCount;   // the table's rows; 0 or less without statistics
  std::string ColumnName;
  std::string TypeName;  // from TypeNameFromCode
  int32_t ByteLength = 0;
  std::string Distribution;  // the first distribution chunk, or empty
  Fixed4 Cardinality;
  Fixed4 CompressionPct;      // written by Compute
  int32_t PageSize = 0;       // bytes
  int16_t ColumnStorage = 0;  // a StorageClass; other values count nothing
  // What Cardinality rests on, and the sample's size when sampled.
  ColumnBasis Basis = ColumnBasis::kNone;
  uint64_t SampleSize = 0;
};

// The columns of the one table being estimated. Slots are reused from table
// to table so that a long run does not allocate per column; there is no
// fixed limit on the number of columns.
class ColumnList {
 public:
  // Empties the list (ColumnCount 0); the slots keep their storage.
  void Clear() { count_ = 0; }
  // Makes one more slot current and returns it; a reused slot still holds
  // its former values, which the caller overwrites.
  CatalogColumnRow& Append();

  int ColumnCount() const { return count_; }
  CatalogColumnRow& operator[](int index) { return slots_[index]; }
  const CatalogColumnRow& operator[](int index) const { return slots_[index]; }
  std::span<CatalogColumnRow> columns() { return {slots_.data(), Size()}; }
  std::span<const CatalogColumnRow> columns() const {
    return {slots_.data(), Size()};
  }

 private:
  size_t Size() const { return static_cast<size_t>(count_); }

  std::vector<CatalogColumnRow> slots_;
  int count_ = 0;
};

// What Compute works on and leaves for its callers: the column list and the
// two lengths of the last call that had columns, in bytes per row.
struct EstimateContext {
  ColumnList TableColumns;
  Fixed4 RowLength;
  Fixed4 CompressedLength;
};

// Binds the statistics table, the run settings and the log that Compute
// reads. Holds references; the owner outlives it.
class Estimator {
 public:
  Estimator(const TypeStatisticsTable& statistics, const RunSettings& settings,
            const Logger& reporter)
      : statistics_(statistics), settings_(settings), reporter_(reporter) {}

  // Estimates the table in context.TableColumns: writes every column's
  // CompressionPct and the two lengths, returns the compression percentage.
  // With no columns: returns 0 and leaves the lengths untouched.
  Fixed4 Compute(EstimateContext& context) const;

  // The saving of the entry [t][n][s][k]: PagePct or RowPct by
  // EstimatePageCompression, with n taken as 1 when UseMaxCardinality is
  // off. An index out of range gives 0 and one "COMP" log entry.
  Fixed4 LookupColumnCompression(int16_t t, int16_t n, int16_t s,
                                 int16_t k) const;

 private:
  // What the first pass finds in a table (defined with Compute).
  struct TableShape;

  TableShape MeasureTable(std::span<const CatalogColumnRow> columns) const;
  // The row length, fixed part plus variable part; the variable part is
  // capped by what the pages' fill allows.
  Fixed4 RowLengthOf(TableShape& shape, const CatalogColumnRow& first) const;
  // Each column's saving; returns the compressed bytes of the fixed-length
  // columns.
  double CompressColumns(std::span<CatalogColumnRow> columns,
                         const TableShape& shape) const;
  // The compressed bytes of the variable-length part, estimated as a whole.
  double CompressVariablePart(const TableShape& shape) const;

  const TypeStatisticsTable& statistics_;
  const RunSettings& settings_;
  const Logger& reporter_;
};

// The average variable-length bytes per row from how full the pages are:
// the last page counts as half full, 28 bytes per page and 4 per row are
// overhead. 0 when the row count is not above zero.
Fixed4 EstimateVariableLength(Fixed4 row_count, Fixed4 pages_used,
                              int32_t page_size, Fixed4 fixed_part);

}  // namespace tce

#endif  // TCE_ENGINE_COMPUTE_H_
