#include "output/explain_fields.h"

#include "model/explain.h"
#include "model/figures.h"

namespace tce {

ColumnExplainFields::ColumnExplainFields(const CatalogColumnRow& column) {
  const SavingTrace& trace = column.Trace;
  fields_ = {
      Field{"storage", Value::Text(StorageName(column.ColumnStorage))},
      Field{"size_class", Value::Integer(trace.s)},
      Field{"similar", Value::Integer(trace.n)},
      Field{"cardinality", Value::Decimal(column.Cardinality)},
      Field{"own_class", Value::Integer(trace.own_class)},
      Field{"class", Value::Integer(trace.k)},
      Field{"type_index", Value::Integer(trace.t)},
      Field{"entry_found", Value::Bool(trace.found)},
      Field{"entry_row", Value::Decimal(trace.entry.row)},
      Field{"entry_page", Value::Decimal(trace.entry.page)}};
}

TableExplainFields::TableExplainFields(const TableExplanation& explanation,
                                       const TableRecord& table) {
  const TableTrace& trace = explanation.trace;
  const TableFormulas& f = explanation.formulas;
  // A formula beside each derived figure, when the figure is there.
  const auto formula = [](const std::string& text) {
    return text.empty() ? Value::Null() : Value::Text(text);
  };
  const SavingTrace& v = trace.variable_part;
  lookup_ = {Field{"type_index", Value::Integer(v.t)},
             Field{"similar", Value::Integer(v.n)},
             Field{"size_class", Value::Integer(v.s)},
             Field{"class", Value::Integer(v.k)},
             Field{"entry_found", Value::Bool(v.found)},
             Field{"entry_row", Value::Decimal(v.entry.row)},
             Field{"entry_page", Value::Decimal(v.entry.page)}};
  fields_ = {
      Field{"row_length", Value::Decimal(table.row_length)},
      Field{"fixed", Value::Decimal(trace.fixed)},
      Field{"incompressible", Value::Decimal(trace.incompressible)},
      Field{"declared_variable", Value::Decimal(trace.declared_variable)},
      Field{"variable", Value::Decimal(trace.variable)},
      Field{"variable_estimated", Value::Bool(trace.estimated)},
      Field{"variable_estimate", Value::Decimal(trace.estimate)},
      Field{"rows", Value::Decimal(table.row_count)},
      Field{"pages", Value::Decimal(table.pages_used)},
      Field{"page_size", Value::Integer(table.page_size)},
      Field{"variable_part", trace.has_variable ? Value::Object(lookup_)
                                                : Value::Null()},
      Field{"compressed_row", Value::Decimal(table.compressed_length.row)},
      Field{"compressed_page", Value::Decimal(table.compressed_length.page)},
      Field{"saved_row", Value::Decimal(SavedPct(table, Method::kRow))},
      Field{"saved_page", Value::Decimal(SavedPct(table, Method::kPage))},
      Field{"shown_saved_row", Value::Number(SavedWholePct(table, Method::kRow))},
      Field{"shown_saved_page", Value::Number(SavedWholePct(table, Method::kPage))},
      Field{"row_length_formula", formula(f.row_length)},
      Field{"variable_formula", formula(f.variable)},
      Field{"compressed_row_formula", formula(f.compressed.row)},
      Field{"compressed_page_formula", formula(f.compressed.page)},
      Field{"saved_row_formula", formula(f.saved.row)},
      Field{"saved_page_formula", formula(f.saved.page)},
      Field{"shown_size_formula", formula(f.shown_size)},
      Field{"shown_compressed_formula", formula(f.shown_compressed)}};
}

}  // namespace tce
