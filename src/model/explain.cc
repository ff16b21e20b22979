#include "model/explain.h"
#include "model/figures.h"
#include "model/format.h"

#include <cmath>

#include "base/number_text.h"
#include "model/details.h"

namespace tce {
namespace {

std::string Pct(Fixed4 pct) { return pct.ToText() + " %"; }

// "CHAR(32)" for character types, "INTEGER, 4 bytes" for the others.
std::string TypeText(const CatalogColumnRow& column) {
  const std::string name(TypeNameOf(column.Type));
  if (IsCharacterType(column.Type))
    return name + "(" + std::to_string(column.ByteLength) + ")";
  return name + ", " + std::to_string(column.ByteLength) + " bytes";
}

std::string Entry(const SavingTrace& trace) {
  return "[" + std::to_string(trace.t) + "][" + std::to_string(trace.n) +
         "][" + std::to_string(trace.s) + "][" + std::to_string(trace.k) + "]";
}

// The table's figures of one method, as sentences.
std::string MethodLines(const EstimateContext& estimate, Method method) {
  const TableTrace& trace = estimate.Trace;
  std::string fixed_terms;
  for (const CatalogColumnRow& column : estimate.TableColumns.columns()) {
    if (column.ColumnStorage != FixedCompressible) continue;
    fixed_terms += (fixed_terms.empty() ? "" : " + ") +
                   std::to_string(column.ByteLength) + " x " +
                   (Fixed4::FromInt(100) - column.Saving[method]).ToText() +
                   " %";
  }
  std::string text = std::string(method == Method::kRow ? "Row" : "Page") +
                     " compression: compressed row length = ";
  text += fixed_terms.empty() ? "0" : fixed_terms;
  text += " (fixed columns) + " + trace.incompressible.ToText() +
          " (incompressible)";
  if (trace.has_variable) {
    text += " + " + trace.variable.ToText() + " x " +
            (Fixed4::FromInt(100) - trace.variable_part.entry[method])
                .ToText() +
            " % (variable part)";
  }
  text += " = " + estimate.Compressed[method].ToText() + " bytes; saving (" +
          estimate.RowLength.ToText() + " - " +
          estimate.Compressed[method].ToText() + ") x 100 / " +
          estimate.RowLength.ToText() + " = " + Pct(estimate.Pct[method]) +
          ".\n";
  return text;
}

// How the shown sizes follow from the figures.
constexpr char kBounds[] =
    " (never below 1 while the size is above 0, nor above the size).\n";

std::string SizeLines(const TableRecord& table, Shown shown) {
  if (!HasStatistics(table)) {
    return "No statistics (row count " + table.row_count.ToText() +
           "): no sizes are shown.\n";
  }
  const double size = ShownSize(table, shown.unit);
  const double compressed = ShownCompressed(table, shown);
  if (shown.unit == SizeUnit::kPages) {
    return "Pages: " + table.pages_used.ToText() +
           "; compressed floor((100 - " + SavedPct(table, shown.method).ToText() +
           ") x " + table.pages_used.ToText() + " / 100) = " +
           FormatNumber(compressed) + " pages" + kBounds;
  }
  return "Kilobytes: floor(" + table.row_length.ToText() + " x " +
         table.row_count.ToText() + " / 1024) = " + FormatNumber(size) +
         "; compressed floor(" +
         table.compressed_length[shown.method].ToText() + " x " +
         table.row_count.ToText() + " / 1024) = " + FormatNumber(compressed) + kBounds;
}

}  // namespace

std::string_view StorageName(StorageClass storage) {
  switch (storage) {
    case FixedCompressible:
      return "fixed compressible";
    case FixedIncompressible:
      return "fixed incompressible";
    case VariableLength:
      return "variable";
    default:
      return "no length";
  }
}

std::string ExplainColumn(const CatalogColumnRow& column, Method method) {
  std::string text = TypeText(column) + ", " +
                     std::string(StorageName(column.ColumnStorage));
  if (column.ColumnStorage == FixedIncompressible ||
      column.ColumnStorage == NoStorageClass) {
    return text + ": counted in full, no saving → 0 %";
  }
  const SavingTrace& trace = column.Trace;
  if (column.ColumnStorage == VariableLength) text += ", looked up as VARCHAR";
  text += ", size class " + std::to_string(trace.s) + ", " +
          std::to_string(trace.n) +
          (trace.n == 1 ? " similar column, about " : " similar columns, about ") +
          HumanCount(column.Cardinality.ToDouble()) + " distinct values of " +
          HumanCount(std::max(0.0, column.RowCount.ToDouble())) +
          " rows (class " + std::to_string(trace.own_class);
  if (trace.k != trace.own_class)
    text += "; " + std::to_string(trace.k) + " is the highest of its type";
  text += "): ";
  if (!trace.found) {
    return text + "no statistics entry " + Entry(trace) +
           " (an index is out of range) → 0 %";
  }
  return text + "statistics entry " + Entry(trace) + " row " +
         Pct(trace.entry.row) + ", page " + Pct(trace.entry.page) + " → " +
         Pct(column.Saving[method]);
}

std::string ExplainTable(const EstimateContext& estimate,
                         const TableRecord& table, Shown shown) {
  const TableTrace& trace = estimate.Trace;
  std::string text =
      table.owner + "." + table.table + ", " +
      (shown.method == Method::kRow ? "row" : "page") +
      " compression as estimated.\n\nEach column's saving is read from the "
      "statistics table at [type index][similar columns][size class]"
      "[cardinality class]. The cardinality class of a character column is "
      "1; of any other, 1 up to 10 distinct values, 2 up to 100, 3 up to "
      "250, else 4.\n\nColumns\n";
  for (const CatalogColumnRow& column : estimate.TableColumns.columns()) {
    text += "• " + column.ColumnName + ": " +
            ExplainColumn(column, shown.method) + ".\n";
  }
  text += "\nRow length\nRow length = " + trace.fixed.ToText() +
          " (fixed) + " + trace.incompressible.ToText() + " (incompressible)";
  if (trace.has_variable) text += " + " + trace.variable.ToText() + " (variable)";
  text += " = " + estimate.RowLength.ToText() + " bytes.\n";
  if (trace.has_variable) {
    const CatalogColumnRow& first = estimate.TableColumns[0];
    text += "Variable part: declared " + trace.declared_variable.ToText() +
            " bytes; ";
    if (trace.estimated) {
      text += "from the pages (" + std::to_string(first.PageSize) + " x (" +
              first.PagesUsed.ToText() + " - 0.5) - 28 x " +
              first.PagesUsed.ToText() + " - " + first.RowCount.ToText() +
              " x (" + (trace.fixed + trace.incompressible).ToText() +
              " + 4)) / " + first.RowCount.ToText() + " = " +
              trace.estimate.ToText() + " bytes; the smaller counts.\n";
    } else {
      text += "without row or page statistics the declared length counts.\n";
    }
    text += "The variable part as a whole: statistics entry " +
            Entry(trace.variable_part) +
            (trace.variable_part.found
                 ? " row " + Pct(trace.variable_part.entry.row) + ", page " +
                       Pct(trace.variable_part.entry.page)
                 : std::string(" not found: no saving")) +
            ".\n";
  }
  text += "\nSaving\n";
  text += MethodLines(estimate, Method::kRow);
  text += MethodLines(estimate, Method::kPage);
  text += "\nSize\n" + SizeLines(table, shown);
  return text;
}

}  // namespace tce
