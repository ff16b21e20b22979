// Converting a column's value for the application: the text a server
// sends for it, cut into parts, as UTF-16, or as a C number.
#ifndef TVCLI_VALUES_H_
#define TVCLI_VALUES_H_

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <string>
#include <string_view>

#include "handles.h"

namespace tvcli {

// The text a server sends for a value; `number` holds it for numbers.
std::string_view ValueText(sqlite3_stmt* vm, int column, int type,
                           char (&number)[40]);

// Writes as much of `text` (bytes, in characters of `unit` bytes) from
// `offset` as fits, zero-terminated; returns how many bytes went.
size_t WritePart(std::string_view text, size_t offset, SQLPOINTER buffer,
                 SQLLEN capacity, size_t unit = 1);

// The C types SQLBindCol and SQLGetData deliver; SQL_C_DEFAULT resolves
// from the column's SQL type.
bool IsDeliverableType(SQLSMALLINT target);

// The C type SQL_C_DEFAULT stands for, by the column's SQL type; other
// targets as they are.
SQLSMALLINT ResolveTarget(SQLSMALLINT target, const ColumnInfo& column);

// Whether the target takes text (SQL_C_CHAR or SQL_C_WCHAR).
bool IsCharacter(SQLSMALLINT target);

// The bytes a character target receives for a value's text: the text
// itself, or its UTF-16 form kept in `wide`.
std::string_view TargetText(std::string_view text, SQLSMALLINT target,
                            std::u16string& wide);

// The size of one character of a character target.
size_t UnitOf(SQLSMALLINT target);

// Delivers a value as the C number `target` names; 22018 when its text is
// not a number, 22003 when it does not fit, 01S07 when a fraction is cut.
SQLRETURN StoreNumber(Stmt& stmt, int column, int type, SQLSMALLINT target,
                      SQLPOINTER buffer, SQLLEN* indicator);

}  // namespace tvcli

#endif  // TVCLI_VALUES_H_
