// Every driver call of a connect, a whole estimate of the demo database and
// a table-details query, failed one at a time with each kind of result:
// the program either gives exactly the normal result or fails with a clear
// message, and never leaves a handle allocated.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "base/text_file.h"
#include "analysis/table_columns.h"
#include "support/app_fixture.h"
#include "support/temp_dir.h"

namespace tce {
namespace {

using ::tce::testing::AppFixture;
using ::tce::testing::Row;
using ::tce::testing::TempDir;
using ::tce::testing::WriteFileBytes;

// The fault driver's controls, from the library the program loads too.
struct FaultDriver {
  FaultDriver() {
    handle = dlopen(Path().c_str(), RTLD_NOW | RTLD_NODELETE);
    EXPECT_NE(handle, nullptr) << dlerror();
    set = reinterpret_cast<void (*)(const char*, long, int)>(
        dlsym(handle, "tvfault_set"));
    calls = reinterpret_cast<long (*)()>(dlsym(handle, "tvfault_calls"));
    live = reinterpret_cast<long (*)()>(dlsym(handle, "tvfault_live_handles"));
    failed = reinterpret_cast<const char* (*)()>(
        dlsym(handle, "tvfault_failed_function"));
    hand_back = reinterpret_cast<void (*)(int)>(
        dlsym(handle, "tvfault_hand_back"));
  }
  static std::string Path() { return ExecutableDirectory() + "/libtvfault.so"; }

  void* handle = nullptr;
  void (*set)(const char*, long, int) = nullptr;
  long (*calls)() = nullptr;
  long (*live)() = nullptr;
  const char* (*failed)() = nullptr;
  void (*hand_back)(int) = nullptr;
};

// What one session gave: the listed tables and one table's column lines,
// or the failure of the step that failed.
struct Session {
  std::string failed_step;  // empty: everything worked
  Status status;
  std::vector<Row> tables;
  std::vector<std::string> columns;
};

Session RunSession() {
  AppFixture fixture;
  AppState& app = fixture.app;
  app.library.SetName(FaultDriver::Path());
  Session session;
  session.status = fixture.Connect("demo");
  if (!session.status.ok()) {
    session.failed_step = "connect";
    return session;
  }
  const RunResult result = fixture.RunEstimate();
  if (result.outcome == RunOutcome::kNothingListed) return session;
  if (result.outcome != RunOutcome::kListed) {
    session.failed_step = "run";
    session.status = result.status;
    EXPECT_EQ(result.outcome, RunOutcome::kFailed);
    EXPECT_FALSE(result.record->complete);
    return session;
  }
  session.tables = AppFixture::Cells(*result.record);
  EstimateContext estimate;
  session.status = ReadTableColumns(app.connection, app.statistics, app.settings,
                                    "finance", "currency", estimate);
  if (!session.status.ok()) {
    session.failed_step = "details";
    return session;
  }
  for (const ColumnDetail& line : ColumnDetails(estimate)) {
    session.columns.push_back(line.name + " " + line.pct.ToText());
  }
  return session;
}

class FaultSweepTest : public ::testing::TestWithParam<int> {};

TEST_P(FaultSweepTest, EveryCallFailedInTurnGivesTheResultOrAClearFailure) {
  FaultDriver driver;
  ASSERT_NE(driver.set, nullptr);
  driver.set("*", 0, SQL_SUCCESS);
  const Session normal = RunSession();
  ASSERT_EQ(normal.failed_step, "") << normal.status.ToString();
  ASSERT_EQ(normal.tables.size(), 64u);
  ASSERT_EQ(normal.columns.size(), 3u);
  EXPECT_EQ(driver.live(), 0);
  const long total = driver.calls();
  ASSERT_GT(total, 400);

  const int result = GetParam();
  int failures = 0;
  int unchanged = 0;
  for (long nth = 1; nth <= total + 1; ++nth) {
    driver.set("*", nth, result);
    const Session session = RunSession();
    const std::string where =
        "result " + std::to_string(result) + " at call " + std::to_string(nth);
    EXPECT_EQ(driver.live(), 0) << "handles left after " << where;
    if (session.failed_step.empty()) {
      // A fetch that says "no more rows" ends the rows as it should: that
      // one result cannot be told from the real end.
      if (session.tables != normal.tables ||
          session.columns != normal.columns) {
        EXPECT_EQ(result, SQL_NO_DATA) << where;
      } else {
        ++unchanged;
      }
      continue;
    }
    ++failures;
    EXPECT_NE(result, SQL_SUCCESS_WITH_INFO) << where;
    const std::string told = session.status.ToString();
    EXPECT_FALSE(session.status.ok()) << where;
    // The failure names the call that failed; a fetch that answers "no
    // more rows" failed no call, and the message says what was missing.
    const std::string failed = driver.failed();
    EXPECT_NE(failed, "") << where;
    if (result == SQL_NO_DATA && failed == "SQLFetch") {
      EXPECT_TRUE(told.find("Unable to get") == 0 ||
                  told.find("no longer lists the table") != std::string::npos)
          << where << ", told: " << told;
    } else {
      EXPECT_NE(told.find(failed), std::string::npos)
          << where << " failed " << failed << ", told: " << told;
    }
  }
  if (result == SQL_SUCCESS_WITH_INFO) {
    EXPECT_EQ(failures, 0);
  } else {
    EXPECT_GT(failures, result == SQL_NO_DATA ? 10 : 400);
  }
  EXPECT_GT(unchanged, 0);
}

// A driver whose SQLAllocHandle fails but still hands back the handle it
// made: the program frees it, whichever allocation failed.
TEST(FaultAllocationTest, AHandleHandedBackWithAFailureIsFreed) {
  FaultDriver driver;
  ASSERT_NE(driver.hand_back, nullptr);
  driver.hand_back(1);
  for (long nth = 1; nth <= 8; ++nth) {
    driver.set("SQLAllocHandle", nth, SQL_ERROR);
    const Session session = RunSession();
    EXPECT_EQ(driver.live(), 0) << "allocation " << nth;
    if (std::string(driver.failed()).empty()) break;  // fewer allocations
    EXPECT_NE(session.failed_step, "") << "allocation " << nth;
  }
  driver.hand_back(0);
  driver.set("*", 0, SQL_SUCCESS);
}

INSTANTIATE_TEST_SUITE_P(Results, FaultSweepTest,
                         ::testing::Values(SQL_ERROR, SQL_INVALID_HANDLE,
                                           SQL_NO_DATA, SQL_SUCCESS_WITH_INFO),
                         [](const auto& info) {
                           switch (info.param) {
                             case SQL_ERROR:
                               return std::string("Error");
                             case SQL_INVALID_HANDLE:
                               return std::string("InvalidHandle");
                             case SQL_NO_DATA:
                               return std::string("NoData");
                             default:
                               return std::string("SuccessWithInfo");
                           }
                         });

TEST(FaultBatchTest, AFetchThatFailsPartWayFailsTheCommandLineTool) {
  TempDir dir;
  WriteFileBytes(dir.File("TarvexCompEst.ini"),
                 "CLILIB=" + FaultDriver::Path() + "\r\n");
  WriteFileBytes(dir.File("out.txt"), "kept\r\n");
  const std::string command =
      "cd " + dir.path().string() +
      " && TVFAULT_FUNCTION=SQLFetch TVFAULT_NTH=200 TVFAULT_RESULT=-1 " +
      ExecutableDirectory() +
      "/tarvex-compest-batch --database demo --output out.txt "
      "</dev/null 2>err.txt";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_EQ(::tce::testing::ReadFileBytes(dir.File("out.txt")), "kept\r\n");
  EXPECT_NE(::tce::testing::ReadFileBytes(dir.File("err.txt"))
                .find("SQL Error: Injected failure of SQLFetch."),
            std::string::npos)
      << ::tce::testing::ReadFileBytes(dir.File("err.txt"));
}

}  // namespace
}  // namespace tce
