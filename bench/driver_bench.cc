// The embedded driver alone: a 4 MB value read with SQLGetData in 1 kB
// parts, as 8-bit text and as UTF-16; the catalog's tables fetched row by
// row with two values each; and what one call costs beyond its work.
// Usage: driver_bench DIR (a server folder holding bench.db, as
// catalog_bench generate makes it).
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

SQLCHAR* Sql(const std::string& text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}

// Milliseconds to read the value of `sql` in parts of `part` bytes as
// `target`; -1 when a call failed or the value did not arrive whole.
double ReadInParts(SQLHDBC dbc, SQLSMALLINT target, size_t part,
                   size_t expected_bytes) {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  if (SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt) != SQL_SUCCESS) return -1;
  const std::string sql =
      "SELECT replace(hex(zeroblob(" + std::to_string(expected_bytes / 4) +
      ")), '00', 'ab')";
  const auto start = std::chrono::steady_clock::now();
  if (SQLExecDirect(stmt, Sql(sql), SQL_NTS) != SQL_SUCCESS ||
      SQLFetch(stmt) != SQL_SUCCESS) {
    return -1;
  }
  std::string buffer(part, '\0');
  const size_t unit = target == SQL_C_WCHAR ? 2 : 1;
  size_t received = 0;
  SQLLEN indicator = 0;
  SQLRETURN rc;
  while ((rc = SQLGetData(stmt, 1, target, buffer.data(),
                          static_cast<SQLLEN>(part), &indicator)) !=
         SQL_NO_DATA) {
    if (rc == SQL_ERROR) return -1;
    received += std::min<size_t>(static_cast<size_t>(indicator), part - unit);
  }
  const double ms = std::chrono::duration<double, std::milli>(
                        std::chrono::steady_clock::now() - start)
                        .count();
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  return received == expected_bytes / 2 * unit ? ms : -1;
}

// Nanoseconds per call of fetching every table's id and name, each row with
// SQLFetch and two SQLGetData calls; -1 when a call failed.
double FetchTables(SQLHDBC dbc) {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  if (SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt) != SQL_SUCCESS) return -1;
  const auto start = std::chrono::steady_clock::now();
  if (SQLExecDirect(stmt, Sql("SELECT tabid, tabname FROM systables"),
                    SQL_NTS) != SQL_SUCCESS) {
    return -1;
  }
  long calls = 0;
  SQLRETURN rc;
  while ((rc = SQLFetch(stmt)) == SQL_SUCCESS) {
    SQLBIGINT id = 0;
    char name[64];
    SQLLEN indicator = 0;
    if (SQLGetData(stmt, 1, SQL_C_SBIGINT, &id, 0, &indicator) != SQL_SUCCESS ||
        SQLGetData(stmt, 2, SQL_C_CHAR, name, sizeof name, &indicator) !=
            SQL_SUCCESS) {
      return -1;
    }
    calls += 3;
  }
  const double ns = std::chrono::duration<double, std::nano>(
                        std::chrono::steady_clock::now() - start)
                        .count();
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  return rc == SQL_NO_DATA && calls > 0 ? ns / static_cast<double>(calls) : -1;
}

// Nanoseconds per call that finds the handle, takes its connection and
// answers at once: SQLGetData on a value that went out whole.
double CallOverhead(SQLHDBC dbc) {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  if (SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt) != SQL_SUCCESS ||
      SQLExecDirect(stmt, Sql("SELECT 1"), SQL_NTS) != SQL_SUCCESS ||
      SQLFetch(stmt) != SQL_SUCCESS) {
    return -1;
  }
  char value[8];
  SQLLEN indicator = 0;
  SQLGetData(stmt, 1, SQL_C_CHAR, value, sizeof value, &indicator);
  constexpr int kCalls = 2000000;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kCalls; ++i) {
    if (SQLGetData(stmt, 1, SQL_C_CHAR, value, sizeof value, &indicator) !=
        SQL_NO_DATA) {
      return -1;
    }
  }
  const double ns = std::chrono::duration<double, std::nano>(
                        std::chrono::steady_clock::now() - start)
                        .count();
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  return ns / kCalls;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: driver_bench DIR\n");
    return 64;
  }
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  const std::string text = "DATABASE=" + std::string(argv[1]) + "/bench.db;";
  if (SQLDriverConnect(dbc, nullptr, Sql(text), SQL_NTS, nullptr, 0, nullptr,
                       SQL_DRIVER_NOPROMPT) != SQL_SUCCESS) {
    std::fprintf(stderr, "driver_bench: cannot connect to %s\n", argv[1]);
    return 1;
  }
  // 4 MB of text: 2 M characters, 4 MB as UTF-16.
  constexpr size_t kBytes = 4u << 20;
  double best_char = 1e30, best_wide = 1e30, best_fetch = 1e30,
         best_call = 1e30;
  for (int run = 0; run < 5; ++run) {
    const double c = ReadInParts(dbc, SQL_C_CHAR, 1024, kBytes);
    const double w = ReadInParts(dbc, SQL_C_WCHAR, 1024, kBytes);
    const double f = FetchTables(dbc);
    const double o = CallOverhead(dbc);
    if (c < 0 || w < 0 || f < 0 || o < 0) {
      std::fprintf(stderr, "driver_bench: a call failed or a value did not "
                   "arrive whole\n");
      return 1;
    }
    best_char = std::min(best_char, c);
    best_wide = std::min(best_wide, w);
    best_fetch = std::min(best_fetch, f);
    best_call = std::min(best_call, o);
  }
  std::printf("getdata-char-2mb-1k-ms %.1f\ngetdata-wide-4mb-1k-ms %.1f\n"
              "fetch-tables-ns-per-call %.1f\ncall-overhead-ns %.1f\n",
              best_char, best_wide, best_fetch, best_call);
  SQLDisconnect(dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
  return 0;
}
