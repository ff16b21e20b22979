#include "engine/compute.h"

#include <algorithm>
#include <array>
#include <string>

namespace tce {
namespace {

constexpr int kTypeSlots = 17;  // type indexes 0 to 16

}  // namespace

Fixed4 SavingOf(Fixed4 row_length, Fixed4 compressed) {
  if (row_length <= Fixed4()) return Fixed4();
  return Fixed4::FromDouble((row_length - compressed).ToDouble() * 100.0 /
                            row_length.ToDouble());
}

const char* MethodName(Method method) {
  return method == Method::kRow ? "row" : "page";
}

CatalogColumnRow& ColumnList::Append() {
  if (Size() == slots_.size()) slots_.emplace_back();
  return slots_[count_++];
}

Fixed4 EstimateVariableLength(Fixed4 row_count, Fixed4 pages_used,
                              int32_t page_size, Fixed4 fixed_part,
                              VariableBranch* branch) {
  VariableBranch taken = VariableBranch::kHalfPage;
  if (branch == nullptr) branch = &taken;
  *branch = VariableBranch::kNone;
  if (row_count <= Fixed4()) return Fixed4();
  const Fixed4 size = Fixed4::FromInt(page_size);
  const Fixed4 half = Fixed4::FromRaw(Fixed4::kScale / 2);
  const Fixed4 page_overhead = Fixed4::FromInt(28) * pages_used;
  const Fixed4 row_overhead = row_count * (fixed_part + Fixed4::FromInt(4));
  Fixed4 free = size * (pages_used - half) - page_overhead - row_overhead;
  *branch = VariableBranch::kHalfPage;
  if (free < Fixed4()) {
    free = size * pages_used - page_overhead - row_overhead;
    *branch = VariableBranch::kFullPage;
  }
  if (free < Fixed4()) {
    free = Fixed4();
    *branch = VariableBranch::kNone;
  }
  return Fixed4::FromDouble(free.ToDouble() / row_count.ToDouble());
}

ByMethod<Fixed4> Estimator::LookupBothMethods(int16_t t, int16_t n, int16_t s,
                                              int16_t k, bool* found) const {
  if (found != nullptr) *found = false;
  auto reject = [&](const char* what, int value) {
    if (reporter_.debug()) {
      reporter_.WriteLog("COMP", what + std::to_string(value));
    }
    return ByMethod<Fixed4>();
  };
  if (t < 0 || t > 16) return reject("Bad typeindex=", t);
  if (s < 1 || s > 16) return reject("Bad datasize=", s);
  if (n < 1 || n > 10) return reject("Bad colcount=", n);
  if (k < 0 || k > 4) return reject("Bad cardinality=", k);
  if (!options_.UseMaxCardinality) n = 1;
  const TypeStatEntry& entry = statistics_.at(t, n, s, k);
  if (found != nullptr) *found = true;
  return {entry.RowPct, entry.PagePct};
}

Fixed4 Estimator::LookupColumnCompression(int16_t t, int16_t n, int16_t s,
                                          int16_t k) const {
  return LookupBothMethods(t, n, s, k)[options_.method()];
}

struct Estimator::TableShape {
  // Per type index: the number of columns (at most 10) and the highest
  // cardinality class (-1 for none).
  std::array<int16_t, kTypeSlots> similar_count{};
  std::array<int32_t, kTypeSlots> max_card_class;
  // The declared lengths by storage class.
  Fixed4 fixed, incompressible, variable;
  bool has_variable = false;
};

Estimator::TableShape Estimator::MeasureTable(
    std::span<const CatalogColumnRow> columns) const {
  TableShape shape;
  shape.max_card_class.fill(-1);
  for (const CatalogColumnRow& column : columns) {
    const int16_t t = TypeIndexOf(column.Type);
    int16_t& count = shape.similar_count[t];
    count = static_cast<int16_t>(std::min(count + 1, 10));
    const int16_t k = CardinalityClassOf(column.Type, column.Cardinality);
    shape.max_card_class[t] = std::max<int32_t>(shape.max_card_class[t], k);
    const Fixed4 length = Fixed4::FromInt(column.ByteLength);
    switch (column.ColumnStorage) {
      case FixedCompressible:
        shape.fixed += length;
        break;
      case FixedIncompressible:
        shape.incompressible += length;
        break;
      case VariableLength:
        shape.variable += length;
        shape.has_variable = true;
        break;
      default:
        break;
    }
  }
  return shape;
}

Fixed4 Estimator::RowLengthOf(TableShape& shape, const CatalogColumnRow& first,
                              TableTrace& trace) const {
  trace.estimated = false;
  trace.estimate = Fixed4();
  const Fixed4 fixed_part = shape.fixed + shape.incompressible;
  const bool debug = reporter_.debug();
  if (!shape.has_variable) {
    if (debug) {
      reporter_.WriteLog("LENGTH",
                         "FIXED=" + shape.fixed.ToText() + " VAR=NONE");
    }
    return fixed_part;
  }
  if (first.RowCount > Fixed4() && first.PagesUsed > Fixed4()) {
    const Fixed4 estimate =
        EstimateVariableLength(first.RowCount, first.PagesUsed, first.PageSize,
                               fixed_part, &trace.branch);
    trace.estimated = true;
    trace.estimate = estimate;
    if (estimate < shape.variable) shape.variable = estimate;
  }
  if (debug) {
    reporter_.WriteLog("LENGTH", "FIXED=" + fixed_part.ToText() +
                                     " VAR=" + shape.variable.ToText());
  }
  return fixed_part + shape.variable;
}

ByMethod<double> Estimator::CompressColumns(
    std::span<CatalogColumnRow> columns, const TableShape& shape) const {
  const Fixed4 hundred = Fixed4::FromInt(100);
  ByMethod<double> compressed;
  // The savings of one column looked up at type index t.
  auto saving = [&](int16_t t, CatalogColumnRow& column) {
    SavingTrace& trace = column.Trace;
    trace.own_class = CardinalityClassOf(column.Type, column.Cardinality);
    trace.n = 1;
    if (options_.UseMaxCardinality) {
      trace.k = static_cast<int16_t>(shape.max_card_class[t]);
      trace.n = shape.similar_count[t];
    } else {
      // Per column, n is 1 before the lookup checks it: a table with more
      // than ten columns of one type must not be rejected as "Bad colcount".
      // (The lookup's own replacement serves the variable part, whose n is
      // the VARCHAR count in both modes and must be checked first.)
      trace.k = trace.own_class;
    }
    trace.t = t;
    trace.s = SizeClassOf(column.Type, column.ByteLength);
    trace.entry = LookupBothMethods(t, trace.n, trace.s, trace.k, &trace.found);
    return trace.entry;
  };
  // Every variable-length type is looked up as VARCHAR.
  const int16_t varchar_index = TypeIndexOf(ColumnType::kVarchar);
  for (CatalogColumnRow& column : columns) {
    switch (column.ColumnStorage) {
      case FixedCompressible:
        column.Saving = saving(TypeIndexOf(column.Type), column);
        for (Method m : kMethods) {
          compressed[m] += (hundred - column.Saving[m]).ToDouble() *
                           column.ByteLength / 100.0;
        }
        break;
      case FixedIncompressible:
        column.Saving = {};
        column.Trace = {};
        compressed.row += column.ByteLength;
        compressed.page += column.ByteLength;
        break;
      case VariableLength:
        column.Saving = saving(varchar_index, column);
        break;
      default:
        column.Saving = {};
        column.Trace = {};
        column.CompressionPct = Fixed4();
        continue;  // no column line for a storage class that counts nothing
    }
    column.CompressionPct = column.Saving[options_.method()];
    if (reporter_.debug()) {
      reporter_.WriteLog("LENGTH", "TYPE=" +
                                       std::string(TypeNameOf(column.Type)) +
                                       " LEN=" +
                                       std::to_string(column.ByteLength) +
                                       "  %=" + column.CompressionPct.ToText());
    }
  }
  return compressed;
}

ByMethod<double> Estimator::CompressVariablePart(const TableShape& shape,
                                                SavingTrace& trace) const {
  trace = {};
  if (!shape.has_variable) return {};
  const int16_t t = TypeIndexOf(ColumnType::kVarchar);
  int16_t s = 15;
  if (shape.variable <= Fixed4::FromInt(15)) {
    s = static_cast<int16_t>(
        std::max<int64_t>(shape.variable.RoundToWhole(), INT16_MIN));
  }
  trace.t = t;
  trace.n = shape.similar_count[t];
  trace.s = s;
  trace.k = trace.own_class = 1;
  const ByMethod<Fixed4> saving =
      LookupBothMethods(t, trace.n, s, 1, &trace.found);
  trace.entry = saving;
  ByMethod<double> compressed;
  for (Method m : kMethods) {
    compressed[m] = (Fixed4::FromInt(100) - saving[m]).ToDouble() *
                    shape.variable.ToDouble() / 100.0;
  }
  return compressed;
}

Fixed4 Estimator::Compute(EstimateContext& context) const {
  const std::span<CatalogColumnRow> columns = context.TableColumns.columns();
  if (columns.empty()) {
    reporter_.Log("Compute", "No columns in the table");
    return Fixed4();
  }
  TableShape shape = MeasureTable(columns);
  TableTrace& trace = context.Trace;
  trace.declared_variable = shape.variable;
  context.RowLength = RowLengthOf(shape, columns.front(), trace);
  trace.fixed = shape.fixed;
  trace.incompressible = shape.incompressible;
  trace.variable = shape.variable;
  trace.has_variable = shape.has_variable;
  const ByMethod<double> fixed = CompressColumns(columns, shape);
  const ByMethod<double> variable =
      CompressVariablePart(shape, trace.variable_part);
  for (Method m : kMethods) {
    context.Compressed[m] = Fixed4::FromDouble(fixed[m] + variable[m]);
    context.Pct[m] = SavingOf(context.RowLength, context.Compressed[m]);
  }
  const Method shown = options_.method();
  context.CompressedLength = context.Compressed[shown];
  const bool debug = reporter_.debug();
  if (debug) {
    reporter_.WriteLog(
        "Row Length",
        "Row Length=" + context.RowLength.ToText() +
            " Compressed Length=" + context.CompressedLength.ToText());
  }
  if (context.RowLength > Fixed4()) {
    if (debug) {
      reporter_.WriteLog("Compute", "Compression=" + context.Pct[shown].ToText());
    }
    return context.Pct[shown];
  }
  reporter_.Log("Compute", "No row length");
  return Fixed4();
}

}  // namespace tce
