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

// The two compression methods the server offers; a table is estimated for
// both in one pass, and a run's option chooses which one is shown.
enum class Method : uint8_t { kRow = 0, kPage = 1 };
inline constexpr Method kMethods[] = {Method::kRow, Method::kPage};
// "row" or "page".
const char* MethodName(Method method);

// A value for each method.
template <typename T>
struct ByMethod {
  T row{};
  T page{};
  T& operator[](Method method) { return method == Method::kRow ? row : page; }
  const T& operator[](Method method) const {
    return method == Method::kRow ? row : page;
  }
};

// How a saving came about: the statistics-table entry [t][n][s][k] it was
// read from. `n` is the similar-column count as the table gives it (the
// lookup takes 1 instead when cardinality is per column); `own_class` is the
// column's own cardinality class, `k` the class looked up (the highest of
// the type index when cardinality is per type).
struct SavingTrace {
  int16_t t = 0;
  int16_t n = 0;
  int16_t s = 0;
  int16_t k = 0;
  int16_t own_class = 0;
  bool found = false;  // false: counted in full, or an index was rejected
  ByMethod<Fixed4> entry;  // the entry's row and page percentages
};

// Which formula gave the variable part's estimate from the pages: the last
// page half full (the first choice), every page full (when the first
// leaves nothing), or nothing at all (when neither leaves room).
enum class VariableBranch : uint8_t { kHalfPage, kFullPage, kNone };

// What the row length of a table is made of (bytes per row): the fixed
// compressible and incompressible lengths, the variable-length columns'
// declared sum, and the variable part used (the declared sum, or less when
// the pages' fill estimates less: `estimate` from rows, pages and page
// size), with the lookup of the variable part as a whole.
struct TableTrace {
  Fixed4 fixed;
  Fixed4 incompressible;
  Fixed4 declared_variable;
  Fixed4 variable;
  bool has_variable = false;
  bool estimated = false;  // rows and pages were there to estimate from
  Fixed4 estimate;
  VariableBranch branch = VariableBranch::kHalfPage;  // of the estimate
  SavingTrace variable_part;
};

// One column of one table, with that table's statistics.
struct CatalogColumnRow {
  Fixed4 PagesUsed;  // the table's pages in use
  Fixed4 RowCount;   // the table's rows; 0 or less without statistics
  std::string ColumnName;
  ColumnType Type = ColumnType::kNoType;  // decoded from the type code
  int32_t ByteLength = 0;
  std::string Distribution;  // the first distribution chunk, or empty
  Fixed4 Cardinality;
  Fixed4 CompressionPct;  // written by Compute, by the estimate's method
  ByMethod<Fixed4> Saving;  // written by Compute, for both methods
  int32_t PageSize = 0;     // bytes
  StorageClass ColumnStorage = NoStorageClass;
  // What Cardinality rests on, and the sample's size when sampled.
  ColumnBasis Basis = ColumnBasis::kNone;
  uint64_t SampleSize = 0;
  SavingTrace Trace;  // written by Compute
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

// What Compute works on and leaves for its callers: the column list and,
// from the last call that had columns, the row lengths in bytes per row and
// the savings in percent.
struct EstimateContext {
  ColumnList TableColumns;
  Fixed4 RowLength;
  Fixed4 CompressedLength;  // by the estimate's method
  ByMethod<Fixed4> Compressed;
  ByMethod<Fixed4> Pct;
  TableTrace Trace;
};

// The two options that change an estimate.
struct EstimateOptions {
  // Cardinality class and similar-column count per type index (true) or per
  // column with n = 1 (false).
  bool UseMaxCardinality = true;
  // The method whose figures CompressionPct, CompressedLength, the return
  // value and the log lines give.
  bool EstimatePageCompression = true;

  static EstimateOptions Of(const RunSettings& settings) {
    return {settings.UseMaxCardinality, settings.EstimatePageCompression};
  }
  Method method() const {
    return EstimatePageCompression ? Method::kPage : Method::kRow;
  }
};

// Binds the statistics table, the options and the log that Compute reads.
// Holds references to the table and the log; the owner outlives it.
class Estimator {
 public:
  Estimator(const TypeStatisticsTable& statistics, EstimateOptions options,
            const Logger& reporter)
      : statistics_(statistics), options_(options), reporter_(reporter) {}

  // Estimates the table in context.TableColumns for both methods: writes
  // every column's savings and the lengths and percentages of the context,
  // returns the compression percentage of the options' method. With no
  // columns: returns 0 and leaves the context's figures untouched.
  Fixed4 Compute(EstimateContext& context) const;

  // The saving of the entry [t][n][s][k]: PagePct or RowPct by
  // EstimatePageCompression, with n taken as 1 when UseMaxCardinality is
  // off. An index out of range gives 0 and one "COMP" log entry.
  Fixed4 LookupColumnCompression(int16_t t, int16_t n, int16_t s,
                                 int16_t k) const;
  // The same lookup for both methods; `found` (when given) says whether
  // every index was in range.
  ByMethod<Fixed4> LookupBothMethods(int16_t t, int16_t n, int16_t s,
                                     int16_t k, bool* found = nullptr) const;

  const EstimateOptions& options() const { return options_; }

 private:
  // What the first pass finds in a table (defined with Compute).
  struct TableShape;

  TableShape MeasureTable(std::span<const CatalogColumnRow> columns) const;
  // The row length, fixed part plus variable part; the variable part is
  // capped by what the pages' fill allows.
  Fixed4 RowLengthOf(TableShape& shape, const CatalogColumnRow& first,
                     TableTrace& trace) const;
  // Each column's saving; returns the compressed bytes of the fixed-length
  // columns by method.
  ByMethod<double> CompressColumns(std::span<CatalogColumnRow> columns,
                                   const TableShape& shape) const;
  // The compressed bytes of the variable-length part, estimated as a whole.
  ByMethod<double> CompressVariablePart(const TableShape& shape,
                                        SavingTrace& trace) const;

  const TypeStatisticsTable& statistics_;
  const EstimateOptions options_;
  const Logger& reporter_;
};

// The saving in percent of a row of `row_length` bytes compressed to
// `compressed` bytes; 0 without a row length.
Fixed4 SavingOf(Fixed4 row_length, Fixed4 compressed);

// The average variable-length bytes per row from how full the pages are:
// the last page counts as half full, 28 bytes per page and 4 per row are
// overhead. 0 when the row count is not above zero.
// `branch`, when given, tells which formula gave the result.
Fixed4 EstimateVariableLength(Fixed4 row_count, Fixed4 pages_used,
                              int32_t page_size, Fixed4 fixed_part,
                              VariableBranch* branch = nullptr);

}  // namespace tce

#endif  // TCE_ENGINE_COMPUTE_H_
