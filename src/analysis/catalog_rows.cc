#include "analysis/catalog_rows.h"

#include "base/number_text.h"
#include "db/catalog_query.h"
#include "engine/cardinality.h"
#include "engine/column_types.h"

namespace tce {
namespace {

constexpr int32_t kSmallestPageSize = 512;
constexpr int32_t kLargestPageSize = 65536;

// The leading numeric part of a catalog value as Fixed4; a value beyond
// Fixed4's range is held at its end, with a log entry.
Fixed4 FixedValue(const std::string& text, const char* what,
                  const Logger& logger) {
  // 15 digits always fit: the common case needs no conversion from double.
  constexpr int64_t kLargestWhole = INT64_MAX / Fixed4::kScale;
  if (const std::optional<int64_t> plain = PlainInteger(text);
      plain && *plain <= kLargestWhole && *plain >= -kLargestWhole) {
    return Fixed4::FromInt(*plain);
  }
  const double value = LeadingNumber(text);
  if (std::optional<Fixed4> fixed = Fixed4::TryFromDouble(value)) return *fixed;
  const Fixed4 held = Fixed4::FromDouble(value);
  logger.Log("Catalog", std::string(what) + " " + text +
                            " is beyond the numbers the estimate can hold; "
                            "taken as " +
                            held.ToText());
  return held;
}

std::optional<int64_t> IntegerValue(const std::string& text, int64_t min,
                                    int64_t max) {
  if (const std::optional<int64_t> plain = PlainInteger(text)) {
    if (*plain < min || *plain > max) return std::nullopt;
    return plain;
  }
  return RoundToRange(LeadingNumber(text), min, max);
}

// A table whose row count, page count or page size cannot be real counts as
// a table without statistics everywhere: no sizes, no estimate from how full
// its pages are, and no cell showing the value that cannot be real (it
// shows 0).
void CheckTableStatistics(CatalogColumnRow& row, const Statement& statement,
                          const Logger& logger) {
  const Fixed4 kLargestRowCount = Fixed4::FromInt(1'000'000'000'000);
  const bool pages_real = row.PagesUsed >= Fixed4();
  const bool page_size_real =
      row.PageSize >= kSmallestPageSize && row.PageSize <= kLargestPageSize;
  const bool rows_real = row.RowCount <= kLargestRowCount;
  if (pages_real && page_size_real && rows_real) return;
  if (logger.debug()) {
    const char* what = !rows_real   ? "row count "
                       : !pages_real ? "pages used "
                                     : "page size ";
    const int column = !rows_real    ? kRowCountColumn
                       : !pages_real ? kPagesUsedColumn
                                     : kPageSizeColumn;
    logger.WriteLog("Catalog",
                    "Table " + statement.StatementResult(kOwnerColumn) + "." +
                        statement.StatementResult(kTableColumn) + ": " + what +
                        statement.StatementResult(column) +
                        " cannot be real; the table counts as one without "
                        "statistics");
  }
  if (row.RowCount > Fixed4()) row.RowCount = Fixed4();
  if (!pages_real) row.PagesUsed = Fixed4();
  if (!page_size_real) row.PageSize = 0;
}

// Fills `row` from the current StatementResult (query columns 3 to 9): the
// table's statistics, the column's type name, byte length, storage class,
// distribution and cardinality. A value whose text does not convert leaves
// its field as a fresh row has it. Values that cannot be real are made
// harmless, with a log entry: negative pages or a page size outside 512 to
// 65536 make the table one without statistics, a negative byte length
// counts as 0 bytes, numbers beyond Fixed4's range are held at its ends.
// `first` is the table's first row when this is a later one: the table's
// values are taken from it (they are the same on every row of a table).
void FillColumnRow(const Statement& statement, CatalogColumnRow& row,
                   const Logger& logger, const CatalogColumnRow* first) {
  // A reused slot must not carry a previous table's values into this one.
  row.CompressionPct = Fixed4();
  row.Saving = {};
  row.Type = ColumnType::kNoType;
  row.ByteLength = 0;
  row.PageSize = 0;
  row.ColumnStorage = NoStorageClass;

  if (first != nullptr) {
    // The table's own values are the same on each of its rows.
    row.PagesUsed = first->PagesUsed;
    row.RowCount = first->RowCount;
    row.PageSize = first->PageSize;
  } else {
    row.PagesUsed = FixedValue(statement.StatementResult(kPagesUsedColumn),
                               "Pages used", logger);
    row.RowCount = FixedValue(statement.StatementResult(kRowCountColumn),
                              "Row count", logger);
    if (auto page_size = IntegerValue(
            statement.StatementResult(kPageSizeColumn), INT32_MIN, INT32_MAX)) {
      row.PageSize = static_cast<int32_t>(*page_size);
    }
    CheckTableStatistics(row, statement, logger);
  }
  row.ColumnName = statement.StatementResult(kColumnNameColumn);
  if (auto code = IntegerValue(statement.StatementResult(kTypeCodeColumn),
                               INT32_MIN, INT32_MAX)) {
    row.Type = ColumnTypeFromCode(static_cast<int32_t>(*code), logger);
  }
  if (auto length = IntegerValue(statement.StatementResult(kLengthColumn),
                                 INT32_MIN, INT32_MAX)) {
    row.ByteLength = ColumnByteLength(row.Type, static_cast<int32_t>(*length));
    row.ColumnStorage = StorageClassOf(row.Type);
  }
  if (row.ByteLength < 0) {
    // No column takes less than nothing; it counts as taking nothing.
    logger.Log("Catalog", "Column " + row.ColumnName + ": length " +
                              statement.StatementResult(kLengthColumn) +
                              " cannot be real; it counts as 0 bytes");
    row.ByteLength = 0;
  }
  row.Distribution = statement.StatementResult(kDistributionColumn);
  row.Cardinality = CardinalityOf(row.Distribution, row.RowCount, &row.Basis,
                                  &row.SampleSize);
}

}  // namespace

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
      // Appended first: a new slot may move the ones before it.
      CatalogColumnRow& row = columns.Append();
      const CatalogColumnRow* first =
          columns.ColumnCount() == 1 ? nullptr : &columns[0];
      FillColumnRow(statement_, row, logger_, first);
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
