#include "model/explain.h"
#include "model/figures.h"
#include "model/format.h"

#include <cmath>

#include "base/number_text.h"
#include "model/details.h"
#include "model/formulas.h"

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
std::string MethodLines(const TableFormulas& f, Method method) {
  return std::string(method == Method::kRow ? "Row" : "Page") +
         " compression: compressed row length = " + f.compressed[method] +
         " bytes; saving in % = " + f.saved[method] + ".\n";
}

// How the shown sizes follow from the figures.
std::string SizeLines(const TableRecord& table, const TableFormulas& f,
                      Shown shown) {
  if (!HasStatistics(table)) {
    return "No statistics (row count " + table.row_count.ToText() +
           "): no sizes are shown.\n";
  }
  const char* unit = shown.unit == SizeUnit::kPages ? " pages" : " kilobytes";
  return std::string("Size = ") + f.shown_size + unit + "; compressed = " +
         f.shown_compressed + unit +
         " (never below 1 while the size is above 0, nor above the size).\n";
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
  const TableFormulas f = FormulasOf(estimate, table, shown);
  text += "\nRow length\nRow length = " + f.row_length +
          " bytes (fixed + incompressible" +
          (trace.has_variable ? " + variable" : "") + ").\n";
  if (trace.has_variable) {
    text += "Variable part: declared " + trace.declared_variable.ToText() +
            " bytes; ";
    text += trace.estimated
                ? "the smaller of it and the estimate from the pages counts: "
                : "without row or page statistics the declared length counts: ";
    text += f.variable + " bytes.\n";
    text += "The variable part as a whole: statistics entry " +
            Entry(trace.variable_part) +
            (trace.variable_part.found
                 ? " row " + Pct(trace.variable_part.entry.row) + ", page " +
                       Pct(trace.variable_part.entry.page)
                 : std::string(" not found: no saving")) +
            ".\n";
  }
  text += "\nSaving\n";
  text += MethodLines(f, Method::kRow);
  text += MethodLines(f, Method::kPage);
  text += "\nSize\n" + SizeLines(table, f, shown);
  return text;
}

}  // namespace tce
