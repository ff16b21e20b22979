// The driver under threads: many threads sharing one connection (each with
// its own statements), many connections at once, and handles freed while
// other threads wait on them. Run under ThreadSanitizer in CI as well.
#include <atomic>
#include <thread>
#include <vector>

#include "driver_fixture.h"

namespace tce::testing {
namespace {

constexpr int kThreads = 8;
constexpr int kCalls = 1000;

SQLCHAR* Sql(const char* text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text));
}

// One thread's mixed calls on `dbc`: statements allocated, run, fetched,
// read in parts and as numbers, diagnostics asked, and freed. Returns the
// number of calls whose answer was wrong.
int MixedCalls(SQLHDBC dbc, int seed) {
  int wrong = 0;
  for (int i = 0; i < kCalls / 10; ++i) {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt) != SQL_SUCCESS) {
      ++wrong;
      continue;
    }
    const bool bad = (i + seed) % 5 == 0;
    const SQLRETURN rc = SQLExecDirect(
        stmt,
        Sql(bad ? "SELECT nosuch FROM systables"
                : "SELECT tabname, nrows FROM systables ORDER BY tabid"),
        SQL_NTS);
    if (bad) {
      SQLCHAR state[6] = {};
      SQLINTEGER native = 0;
      SQLSMALLINT length = 0;
      SQLCHAR message[200];
      // The diagnostic is this statement's own, whatever the others did.
      wrong += rc != SQL_ERROR ||
               SQLGetDiagRec(SQL_HANDLE_STMT, stmt, 1, state, &native,
                             message, sizeof message, &length) != SQL_SUCCESS ||
               std::string(reinterpret_cast<char*>(state)) != "42S22";
    } else {
      int rows = 0;
      while (SQLFetch(stmt) == SQL_SUCCESS) {
        char name[4];
        SQLLEN indicator = 0;
        SQLINTEGER count = 0;
        SQLGetData(stmt, 1, SQL_C_CHAR, name, sizeof name, &indicator);
        SQLGetData(stmt, 2, SQL_C_SLONG, &count, 0, &indicator);
        ++rows;
      }
      wrong += rc != SQL_SUCCESS || rows != 3;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
  return wrong;
}

TEST_F(DriverTest, ThreadsShareOneConnection) {
  ASSERT_EQ(ConnectSales(), SQL_SUCCESS);
  std::vector<int> wrong(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] { wrong[t] = MixedCalls(dbc_, t); });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(wrong[t], 0) << t;
}

TEST_F(DriverTest, ConnectionsRunSideBySide) {
  std::vector<int> wrong(kThreads);
  std::vector<std::thread> threads;
  const std::string text =
      "DATABASE=" + server_.DatabasePath("sales") + ";UID=u;PWD=p;";
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      SQLHDBC dbc = SQL_NULL_HDBC;
      if (SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc) != SQL_SUCCESS ||
          SQLDriverConnect(dbc, nullptr, Sql(text.c_str()), SQL_NTS, nullptr,
                           0, nullptr, SQL_DRIVER_NOPROMPT) != SQL_SUCCESS) {
        wrong[t] = -1;
        return;
      }
      wrong[t] = MixedCalls(dbc, t);
      SQLDisconnect(dbc);
      SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(wrong[t], 0) << t;
}

// Calls on one statement until it has been freed and a few calls after:
// once a call answered SQL_INVALID_HANDLE, and after the free, every call
// must. Returns the number of wrong answers.
int CallsUntilFreed(SQLHSTMT stmt, const std::atomic<bool>& freed) {
  int wrong = 0;
  bool invalid = false;
  for (int i = 0, after = 0; after < 3; ++i) {
    const bool was_freed = freed.load();
    char text[8];
    SQLLEN indicator = 0;
    SQLSMALLINT length = 0;
    SQLRETURN rc;
    if (i % 3 == 0) {
      rc = SQLFetch(stmt);
    } else if (i % 3 == 1) {
      rc = SQLGetData(stmt, 1, SQL_C_CHAR, text, sizeof text, &indicator);
    } else {
      rc = SQLColAttribute(stmt, 1, SQL_DESC_NAME, text, sizeof text, &length,
                           nullptr);
    }
    if ((invalid || was_freed) && rc != SQL_INVALID_HANDLE) ++wrong;
    invalid = invalid || rc == SQL_INVALID_HANDLE;
    if (was_freed) ++after;
  }
  return wrong;
}

// Statements freed, or dropped with their connection, while other threads
// fetch from them: the waiting calls answer SQL_INVALID_HANDLE and, under
// AddressSanitizer, touch no freed memory.
TEST_F(DriverTest, ThreadsWaitingOnAFreedStatementAreTurnedAway) {
  const std::string text =
      "DATABASE=" + server_.DatabasePath("sales") + ";UID=u;PWD=p;";
  constexpr int kRounds = 150;
  int wrong = 0;
  for (int round = 0; round < kRounds; ++round) {
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc), SQL_SUCCESS);
    ASSERT_EQ(SQLDriverConnect(dbc, nullptr, Sql(text.c_str()), SQL_NTS,
                               nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
              SQL_SUCCESS);
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_SUCCESS);
    ASSERT_EQ(SQLExecDirect(stmt, Sql("SELECT tabname FROM systables"),
                            SQL_NTS),
              SQL_SUCCESS);
    std::atomic<bool> freed{false};
    std::vector<int> counts(3);
    std::vector<std::thread> callers;
    for (int& count : counts)
      callers.emplace_back([&] { count = CallsUntilFreed(stmt, freed); });
    std::this_thread::yield();
    // Every other round the statement goes with its connection.
    const SQLRETURN rc = round % 2 == 0 ? SQLFreeHandle(SQL_HANDLE_STMT, stmt)
                                        : SQLDisconnect(dbc);
    freed = true;
    for (std::thread& caller : callers) caller.join();
    EXPECT_EQ(rc, SQL_SUCCESS);
    for (int count : counts) wrong += count;
    EXPECT_EQ(SQLFetch(stmt), SQL_INVALID_HANDLE);
    if (round % 2 == 0) {
      EXPECT_EQ(SQLDisconnect(dbc), SQL_SUCCESS);
    }
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_DBC, dbc), SQL_SUCCESS);
  }
  EXPECT_EQ(wrong, 0);
}

// Handles a thread frees in its own thread_local destructors, which run
// after the driver's per-thread state is gone (as a program's static
// destructors run after the main thread's): under AddressSanitizer, no
// freed memory is touched.
struct FreedAsTheThreadEnds {
  ~FreedAsTheThreadEnds() {
    *answers = {SQLFreeHandle(SQL_HANDLE_STMT, stmt), SQLDisconnect(dbc),
                SQLFreeHandle(SQL_HANDLE_DBC, dbc)};
  }
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  std::vector<SQLRETURN>* answers = nullptr;
};

TEST_F(DriverTest, ThreadsEndingFreeTheirHandlesLast) {
  const std::string text =
      "DATABASE=" + server_.DatabasePath("sales") + ";UID=u;PWD=p;";
  std::vector<SQLRETURN> answers;
  std::thread([&] {
    thread_local FreedAsTheThreadEnds late;
    late.answers = &answers;
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &late.dbc);
    SQLDriverConnect(late.dbc, nullptr, Sql(text.c_str()), SQL_NTS, nullptr,
                     0, nullptr, SQL_DRIVER_NOPROMPT);
    SQLAllocHandle(SQL_HANDLE_STMT, late.dbc, &late.stmt);
    SQLExecDirect(late.stmt, Sql("SELECT tabname FROM systables"), SQL_NTS);
  }).join();
  EXPECT_EQ(answers, std::vector<SQLRETURN>(3, SQL_SUCCESS));
}

}  // namespace
}  // namespace tce::testing
