#include "analysis/catalog_rows.h"

#include "base/number_text.h"
#include "db/catalog_query.h"
#include "engine/cardinality.h"
#include "engine/column_types.h"

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

void FillColumnRow(const Statement& statement, CatalogColumnRow& row,
                   const Logger& logger) {
  // A reused slot must not carry a previous table's values into this one.
  row.PagesUsed = row.RowCount = row.Cardinality = row.CompressionPct =
      Fixed4();
  row.TypeName.clear();
  row.ByteLength = 0;
  row.PageSize = 0;
  row.ColumnStorage = 0;

  if (auto pages = FixedValue(statement.StatementResult(kPagesUsedColumn))) {
    row.PagesUsed = *pages;
  }
  if (auto rows = FixedValue(statement.StatementResult(kRowCountColumn))) {
    row.RowCount = *rows;
  }
  row.ColumnName = statement.StatementResult(kColumnNameColumn);
  if (auto code = IntegerValue(statement.StatementResult(kTypeCodeColumn),
                               INT32_MIN, INT32_MAX)) {
    row.TypeName = TypeNameFromCode(static_cast<int32_t>(*code), logger);
  }
  if (auto length = IntegerValue(statement.StatementResult(kLengthColumn),
                                 INT32_MIN, INT32_MAX)) {
    StorageClass storage;
    row.ByteLength =
        ColumnByteLength(row.TypeName, static_cast<int32_t>(*length), storage);
    row.ColumnStorage = storage;
  }
  row.Distribution = statement.StatementResult(kDistributionColumn);
  row.Cardinality = CardinalityOf(row.Distribution, row.RowCount);
  if (auto page_size = IntegerValue(statement.StatementResult(kPageSizeColumn),
                                    INT32_MIN, INT32_MAX)) {
    row.PageSize = static_cast<int32_t>(*page_size);
  }
}

Status TableReader::Next(std::string& owner, std::string& table,
                         ColumnList& columns, Step& step,
                         const std::function<bool()>& before_fetch) {
  columns.Clear();
  if (ended_) {
    step = Step::kEnd;
    return Status();
  }
  bool has_row = pending_;
  pending_ = false;
  while (true) {
    if (has_row) {
      const std::string& row_owner = statement_.StatementResult(kOwnerColumn);
      const std::string& row_table = statement_.StatementResult(kTableColumn);
      if (columns.ColumnCount() == 0) {
        owner = row_owner;
        table = row_table;
      } else if (row_owner != owner || row_table != table) {
        pending_ = true;  // the row starts the next table
        step = Step::kTable;
        return Status();
      }
      FillColumnRow(statement_, columns.Append(), logger_);
    }
    if (!before_fetch()) {
      statement_.CloseStatement();
      step = Step::kStopped;
      return Status();
    }
    Status status = statement_.FetchRow(has_row);
    if (!status.ok()) return status;
    if (!has_row) {
      ended_ = true;
      step = columns.ColumnCount() > 0 ? Step::kTable : Step::kEnd;
      return Status();
    }
  }
}

}  // namespace tce
