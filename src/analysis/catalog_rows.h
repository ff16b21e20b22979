// Reading the catalog query's result: each row turned into a
// CatalogColumnRow, and the rows grouped into tables (they arrive ordered
// by owner and table name).
#ifndef TCE_ANALYSIS_CATALOG_ROWS_H_
#define TCE_ANALYSIS_CATALOG_ROWS_H_

#include <functional>
#include <string>

#include "base/debug_log.h"
#include "db/statement.h"
#include "engine/compute.h"

namespace tce {

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
                   const Logger& logger, const CatalogColumnRow* first);

// Groups the rows of an executed catalog query into tables.
class TableReader {
 public:
  enum class Step { kTable, kEnd, kStopped };

  explicit TableReader(Statement& statement, const Logger& logger)
      : statement_(statement), logger_(logger) {}

  // Reads the next table's owner, name and columns (`columns` is cleared
  // first). `before_fetch` runs before every fetch; when it returns false
  // the reading stops (kStopped, the statement closed). A failed fetch is
  // a failed status: the table being read is incomplete and not returned.
  Status Next(std::string& owner, std::string& table, ColumnList& columns,
              Step& step, const std::function<bool()>& before_fetch);

 private:
  Statement& statement_;
  const Logger& logger_;
  // The first row of the next table has been fetched already.
  bool pending_ = false;
  bool ended_ = false;
};

}  // namespace tce

#endif  // TCE_ANALYSIS_CATALOG_ROWS_H_
