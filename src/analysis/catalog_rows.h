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
