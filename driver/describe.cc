#include "describe.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "base/text_util.h"
#include "dialect.h"

namespace tvcli {
namespace {

// What one column's values were, over all rows.
struct Kinds {
  bool integer = false;
  bool real = false;
  bool text = false;  // text or bytes
  int64_t least = 0;
  int64_t most = 0;
  size_t longest = 0;
};

void Sized(ColumnInfo& info, SQLSMALLINT type, SQLULEN size,
           const char* name) {
  info.type = type;
  info.size = size;
  info.digits = 0;
  info.type_name = name;
}

bool Within(const Kinds& seen, int64_t low, int64_t high) {
  return seen.least >= low && seen.most <= high;
}

// The type that holds every value seen: an expression's from its values
// alone; a declared number widened where its values do not fit it.
void Settle(ColumnInfo& info, bool declared, const Kinds& seen) {
  const bool whole = info.type == SQL_SMALLINT || info.type == SQL_INTEGER ||
                     info.type == SQL_BIGINT;
  const bool number = whole || info.type == SQL_REAL ||
                      info.type == SQL_DOUBLE || info.type == SQL_DECIMAL;
  if (seen.text) {
    if (!declared || number) {
      Sized(info, SQL_VARCHAR, std::max<SQLULEN>(255, seen.longest),
            "VARCHAR");
    }
  } else if (!declared) {
    if (seen.real) {
      Sized(info, SQL_DOUBLE, 15, "FLOAT");
    } else if (seen.integer) {
      Sized(info, SQL_BIGINT, 19, "BIGINT");
    }
  } else if (whole && seen.real) {
    Sized(info, SQL_DOUBLE, 15, "FLOAT");
  } else if (whole && seen.integer) {
    using Int = std::numeric_limits<int32_t>;
    using Small = std::numeric_limits<int16_t>;
    if (!Within(seen, Int::min(), Int::max())) {
      Sized(info, SQL_BIGINT, 19, "BIGINT");
    } else if (info.type == SQL_SMALLINT &&
               !Within(seen, Small::min(), Small::max())) {
      Sized(info, SQL_INTEGER, 10, "INTEGER");
    }
  }
}

// Steps through the rows noting the kinds of the columns in `which`, then
// resets the statement. A row that fails ends the reading: the fetch that
// reaches it fails there, after the rows before it.
void ReadKinds(sqlite3_stmt* vm, const std::vector<int>& which,
               std::vector<Kinds>& kinds) {
  while (sqlite3_step(vm) == SQLITE_ROW) {
    for (size_t k = 0; k < which.size(); ++k) {
      Kinds& seen = kinds[k];
      switch (sqlite3_column_type(vm, which[k])) {
        case SQLITE_NULL:
          break;
        case SQLITE_INTEGER: {
          const int64_t value = sqlite3_column_int64(vm, which[k]);
          seen.least = seen.integer ? std::min(seen.least, value) : value;
          seen.most = seen.integer ? std::max(seen.most, value) : value;
          seen.integer = true;
          break;
        }
        case SQLITE_FLOAT:
          seen.real = true;
          break;
        default:
          seen.text = true;
          seen.longest = std::max(
              seen.longest,
              static_cast<size_t>(sqlite3_column_bytes(vm, which[k])));
          break;
      }
    }
  }
  sqlite3_reset(vm);
}

// A column that is a whole-number literal ("2048") has that number's type
// without reading a row: every row holds the same value.
bool TypeOfLiteral(const char* name, ColumnInfo& info) {
  if (name == nullptr) return false;
  std::string_view text(name);
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  if (text.empty() || text.size() > 18 ||
      !std::all_of(text.begin(), text.end(),
                   [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  Sized(info, SQL_BIGINT, 19, "BIGINT");
  return true;
}

}  // namespace

ColumnInfo DescribeDeclared(const char* declared) {
  ColumnInfo info;
  const std::string type = tce::ToUpperAscii(declared);
  const size_t paren = type.find('(');
  const std::string base = type.substr(0, paren);
  info.type_name = base;
  long size = -1;
  long digits = 0;
  if (paren != std::string::npos) {
    std::sscanf(type.c_str() + paren, "(%ld,%ld", &size, &digits);
  }
  auto sized = [&](SQLSMALLINT sql_type, long fallback) {
    info.type = sql_type;
    info.size = static_cast<SQLULEN>(size > 0 ? size : fallback);
  };
  if (base == "CHAR" || base == "NCHAR" || base == "CHARACTER") {
    sized(SQL_CHAR, 1);
  } else if (base == "VARCHAR" || base == "NVARCHAR" ||
             base.rfind("STAT", 0) == 0) {
    // The distribution column (STATCHAR) is text to every client.
    sized(SQL_VARCHAR, 255);
  } else if (base == "LVARCHAR" || base == "TEXT" || base == "CLOB") {
    sized(SQL_LONGVARCHAR, 2048);
  } else if (base == "SMALLINT") {
    sized(SQL_SMALLINT, 5);
  } else if (base == "INTEGER" || base == "INT" || base == "SERIAL") {
    sized(SQL_INTEGER, 10);
  } else if (base == "BIGINT" || base == "INT8" || base == "SERIAL8" ||
             base == "BIGSERIAL") {
    sized(SQL_BIGINT, 19);
  } else if (base == "FLOAT" || base == "DOUBLE") {
    sized(SQL_DOUBLE, 15);
  } else if (base == "REAL" || base == "SMALLFLOAT") {
    sized(SQL_REAL, 7);
  } else if (base == "DECIMAL" || base == "NUMERIC" || base == "MONEY") {
    sized(SQL_DECIMAL, 16);
    info.digits = static_cast<SQLSMALLINT>(digits);
  } else if (base == "DATE") {
    sized(SQL_TYPE_DATE, 10);
  } else {
    sized(SQL_VARCHAR, 255);
  }
  return info;
}

void DescribeColumns(Stmt& stmt, bool read_rows) {
  stmt.columns.clear();
  const int count = sqlite3_column_count(stmt.vm);
  const bool combined = CombinesSelects(stmt.sql);
  std::vector<int> which;
  for (int i = 0; i < count; ++i) {
    const char* declared = sqlite3_column_decltype(stmt.vm, i);
    ColumnInfo info =
        declared != nullptr ? DescribeDeclared(declared) : ColumnInfo{};
    const char* name = sqlite3_column_name(stmt.vm, i);
    info.name = name != nullptr ? name : "";
    const bool literal =
        declared == nullptr && !combined && TypeOfLiteral(name, info);
    stmt.columns.push_back(info);
    if ((declared == nullptr && !literal) || combined) which.push_back(i);
  }
  if (!read_rows || which.empty()) return;
  std::vector<Kinds> kinds(which.size());
  ReadKinds(stmt.vm, which, kinds);
  for (size_t k = 0; k < which.size(); ++k) {
    ColumnInfo& info = stmt.columns[which[k]];
    Settle(info, sqlite3_column_decltype(stmt.vm, which[k]) != nullptr,
           kinds[k]);
  }
}

}  // namespace tvcli
