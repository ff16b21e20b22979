#include "analysis/catalog_rows.h"

#include "db/catalog_query.h"
#include "engine/cardinality.h"
#include "engine/column_types.h"
#include "base/number_text.h"

namespace tce {
namespace {

// The leading numeric part of a catalog value as Fixed4, when it fits.
std::optional<Fixed4> FixedValue(const std::string& text) {
  return Fixed4::TryFromDouble(LeadingNumber(text));
}

std::optional<int64_t> IntegerValue(const std::string& text, int64_t min,
                                    int64_t max) {
  return RoundToRange(LeadingNumber(text), min, max);
}

}  // namespace

void FillColumnRow(const StatementLayer& statements, CatalogColumnRow& row,
                   const Reporter& reporter) {
  // A reused slot must not carry a previous table's values into this one.
  row.PagesUsed = row.RowCount = row.Cardinality = row.CompressionPct =
      Fixed4();
  row.TypeName.clear();
  row.ByteLength = 0;
  row.PageSize = 0;
  row.ColumnStorage = 0;

  if (auto pages = FixedValue(statements.StatementResult(kPagesUsedColumn))) {
    row.PagesUsed = *pages;
  }
  if (auto rows = FixedValue(statements.StatementResult(kRowCountColumn))) {
    row.RowCount = *rows;
  }
  row.ColumnName = statements.StatementResult(kColumnNameColumn);
  if (auto code = IntegerValue(statements.StatementResult(kTypeCodeColumn),
                               INT32_MIN, INT32_MAX)) {
    row.TypeName = TypeNameFromCode(static_cast<int32_t>(*code), reporter);
  }
  if (auto length = IntegerValue(statements.StatementResult(kLengthColumn),
                                 INT32_MIN, INT32_MAX)) {
    StorageClass storage;
    row.ByteLength =
        ColumnByteLength(row.TypeName, static_cast<int32_t>(*length), storage);
    row.ColumnStorage = storage;
  }
  row.Distribution = statements.StatementResult(kDistributionColumn);
  row.Cardinality = CardinalityOf(row.Distribution, row.RowCount);
  if (auto page_size = IntegerValue(statements.StatementResult(kPageSizeColumn),
                                    INT16_MIN, INT16_MAX)) {
    row.PageSize = static_cast<int16_t>(*page_size);
  }
}

}  // namespace tce
