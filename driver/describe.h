// How a result's columns describe themselves: a catalog column by its
// declared type, as the server reports that type; a column whose values
// decide its type (an expression's, or any column of selects combined by
// UNION, INTERSECT or EXCEPT) by the kinds of all its values, so that one
// type holds every row.
#ifndef TVCLI_DESCRIBE_H_
#define TVCLI_DESCRIBE_H_

#include <sqlite3.h>

#include "handles.h"

namespace tvcli {

// The SQL type and size a server reports for a declared catalog type.
ColumnInfo DescribeDeclared(const char* declared);

// Describes the compiled statement's columns into stmt.columns. With
// `read_rows`, the rows are first read through once (up to one that fails)
// for the columns whose values decide their type, and the statement is
// reset to run again.
void DescribeColumns(Stmt& stmt, bool read_rows);

}  // namespace tvcli

#endif  // TVCLI_DESCRIBE_H_
