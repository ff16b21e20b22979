#include "model/formulas.h"

#include <cmath>
#include <map>
#include <utility>

#include "base/number_text.h"
#include "model/figures.h"

namespace tce {
namespace {

std::string T(Fixed4 value) { return value.ToText(); }
std::string T(double value) { return FormatNumber(value); }

std::string Result(const std::string& expression, const std::string& result) {
  return expression + " = " + result;
}

// The variable part's estimate from the pages, by the branch it took.
std::string EstimateExpression(const TableTrace& trace,
                               const TableRecord& table) {
  const std::string pages = T(table.pages_used), rows = T(table.row_count);
  const std::string rest = " - 28 x " + pages + " - " + rows + " x (" +
                           T(trace.fixed + trace.incompressible) + " + 4)) / " +
                           rows;
  const std::string size = std::to_string(table.page_size);
  switch (trace.branch) {
    case VariableBranch::kHalfPage:
      return "(" + size + " x (" + pages + " - 0.5)" + rest;
    case VariableBranch::kFullPage:
      return "(" + size + " x " + pages + rest;
    default:
      return "0";
  }
}

std::string VariableFormula(const TableTrace& trace, const TableRecord& table) {
  if (!trace.has_variable) return {};
  if (!trace.estimated)
    return Result(T(trace.declared_variable), T(trace.variable));
  return Result("min(" + T(trace.declared_variable) + ", " +
                    EstimateExpression(trace, table) + ")",
                T(trace.variable));
}

// The fixed columns' compressed bytes, like terms gathered: "3 x 4 x (100 -
// 55) / 100 + 8 x (100 - 30) / 100".
std::string FixedTerms(const EstimateContext& estimate, Method method) {
  std::map<std::pair<int32_t, int64_t>, int> terms;
  std::vector<std::pair<int32_t, int64_t>> order;
  for (const CatalogColumnRow& column : estimate.TableColumns.columns()) {
    if (column.ColumnStorage != FixedCompressible) continue;
    const auto key = std::make_pair(column.ByteLength, column.Saving[method].raw());
    if (terms[key]++ == 0) order.push_back(key);
  }
  std::string text;
  for (const auto& key : order) {
    if (!text.empty()) text += " + ";
    const int count = terms[key];
    if (count > 1) text += std::to_string(count) + " x ";
    text += std::to_string(key.first) + " x (100 - " +
            T(Fixed4::FromRaw(key.second)) + ") / 100";
  }
  return text;
}

std::string CompressedFormula(const EstimateContext& estimate, Method method) {
  const TableTrace& trace = estimate.Trace;
  std::string text = FixedTerms(estimate, method);
  auto add = [&](const std::string& term) {
    text += (text.empty() ? "" : " + ") + term;
  };
  if (trace.incompressible > Fixed4()) add(T(trace.incompressible));
  if (trace.has_variable) {
    add(T(trace.variable) + " x (100 - " + T(trace.variable_part.entry[method]) +
        ") / 100");
  }
  return Result(text.empty() ? "0" : text, T(estimate.Compressed[method]));
}

std::string SavedFormula(const TableRecord& table, Method method) {
  const Fixed4 length = table.row_length;
  const Fixed4 compressed = table.compressed_length[method];
  const std::string result = T(SavedPct(table, method));
  if (length <= Fixed4()) return Result("0", result);
  const std::string share = "(" + T(length) + " - " + T(compressed) +
                            ") x 100 / " + T(length);
  const Fixed4 raw = SavingOf(length, compressed);
  if (raw < Fixed4()) return Result("max(" + share + ", 0)", result);
  if (raw > Fixed4::FromInt(100)) return Result("min(" + share + ", 100)", result);
  return Result(share, result);
}

// A shown compressed size with its bounds, where they came into play.
std::string Bounded(const std::string& expression, double computed,
                    double size, double shown) {
  std::string text = expression;
  if (computed == 0 && size > 0) text = "max(" + text + ", 1)";
  if (computed > size) text = "min(" + text + ", " + T(size) + ")";
  return Result(text, T(shown));
}

void ShownFormulas(const TableRecord& table, Shown shown, TableFormulas& f) {
  const double size = ShownSize(table, shown.unit);
  const double compressed = ShownCompressed(table, shown);
  if (!HasStatistics(table)) {
    f.shown_size = f.shown_compressed = Result("0", "0");
    return;
  }
  const std::string rows = T(table.row_count);
  std::string expression;
  double computed = 0;
  if (shown.unit == SizeUnit::kPages) {
    f.shown_size = Result(T(table.pages_used), T(size));
    const Fixed4 pct = SavedPct(table, shown.method);
    expression = "floor((100 - " + T(pct) + ") x (" + T(table.pages_used) + " / 100))";
    computed = std::floor((100.0 - pct.ToDouble()) *
                          (table.pages_used.ToDouble() / 100.0));
  } else {
    f.shown_size =
        Result("floor(" + T(table.row_length) + " x (" + rows + " / 1024))", T(size));
    const Fixed4 length = table.compressed_length[shown.method];
    expression = "floor(" + T(length) + " x (" + rows + " / 1024))";
    computed = std::floor(length.ToDouble() * (table.row_count.ToDouble() / 1024.0));
  }
  f.shown_compressed = Bounded(expression, computed, size, compressed);
}

}  // namespace

TableFormulas FormulasOf(const EstimateContext& estimate,
                         const TableRecord& table, Shown shown) {
  const TableTrace& trace = estimate.Trace;
  TableFormulas f;
  std::string parts = T(trace.fixed) + " + " + T(trace.incompressible);
  if (trace.has_variable) parts += " + " + T(trace.variable);
  f.row_length = Result(parts, T(estimate.RowLength));
  f.variable = VariableFormula(trace, table);
  for (Method m : kMethods) {
    f.compressed[m] = CompressedFormula(estimate, m);
    f.saved[m] = SavedFormula(table, m);
  }
  ShownFormulas(table, shown, f);
  return f;
}

}  // namespace tce
