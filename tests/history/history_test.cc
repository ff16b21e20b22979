// The history file: runs read back as they were kept, files it refuses,
// a writer killed part-way and two writers at once.
#include "history/history.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "history/history_schema.h"
#include "history_records.h"
#include "support/temp_dir.h"

namespace tce {
namespace {

using ::tce::testing::ExpectSameRecord;
using ::tce::testing::MakeRun;
using ::tce::testing::TempDir;
using ::tce::testing::WriteFileBytes;

std::unique_ptr<History> OpenOrFail(const std::string& path) {
  std::unique_ptr<History> history;
  const Status status = History::Open(path, &history);
  EXPECT_TRUE(status.ok()) << status.ToString();
  return history;
}

int64_t KeepOrFail(History& history, const RunRecord& run) {
  int64_t id = 0;
  bool added = false;
  const Status status = history.Keep(run, &id, &added);
  EXPECT_TRUE(status.ok() && added) << status.ToString();
  return id;
}

// Runs `body` in a child process and returns how it ended (waitpid's).
int InChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

TEST(HistoryFileTest, ARunReadBackIsTheRunKept) {
  TempDir dir;
  const auto first = MakeRun(300, 3);
  const auto second = MakeRun(50, 4);
  {
    auto history = OpenOrFail(dir.File("h.db"));
    ASSERT_TRUE(history);
    KeepOrFail(*history, *first);
    KeepOrFail(*history, *second);
  }
  auto history = OpenOrFail(dir.File("h.db"));
  std::vector<KeptRun> runs;
  ASSERT_TRUE(history->RunsOf(first->server, "sales", &runs).ok());
  ASSERT_EQ(runs.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    std::shared_ptr<RunRecord> read;
    ASSERT_TRUE(history->Read(runs[i].id, &read).ok());
    ExpectSameRecord(i == 0 ? *first : *second, *read);
  }
  // The same run again is kept once; a failed or partial one not at all.
  int64_t id = 0;
  bool added = true;
  ASSERT_TRUE(history->Keep(*first, &id, &added).ok());
  EXPECT_FALSE(added);
  EXPECT_EQ(id, runs[0].id);
  auto partial = MakeRun(5, 7);
  partial->complete = false;
  auto failed = MakeRun(0, 8);
  failed->failure = "Connection failed.";
  EXPECT_FALSE(history->Keep(*partial, &id, &added).ok());
  EXPECT_FALSE(history->Keep(*failed, &id, &added).ok());
  runs.clear();
  ASSERT_TRUE(history->RunsOf(first->server, "sales", &runs).ok());
  EXPECT_EQ(runs.size(), 2u);
}

TEST(HistoryFileTest, FilesThatAreNoHistoryOfThisReleaseAreRefusedAsTheyAre) {
  TempDir dir;
  WriteFileBytes(dir.File("text.db"), "not a database at all, but text\n");
  {
    sqlite3* db = nullptr;
    sqlite3_open(dir.File("other.db").c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE t (x)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  {
    auto history = OpenOrFail(dir.File("newer.db"));
    sqlite3* db = nullptr;
    sqlite3_open(dir.File("newer.db").c_str(), &db);
    const std::string newer = "PRAGMA user_version = " +
                              std::to_string(History::kSchemaVersion + 1);
    sqlite3_exec(db, newer.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  struct Case {
    const char* file;
    const char* says;
  };
  WriteFileBytes(dir.File("empty.db"), "");
  std::filesystem::create_directory(dir.File("folder.db"));
  const History::Access kAll[] = {History::Access::kKeep,
                                  History::Access::kChange,
                                  History::Access::kRead};
  for (const Case& c : {Case{"text.db", "not a history file"},
                        Case{"other.db", "another program"},
                        Case{"newer.db", "newer release"},
                        Case{"folder.db", "not a regular file"},
                        Case{"/dev/null", "not a regular file"},
                        Case{"missing.db", "no such history file"},
                        Case{"empty.db", "no run is kept in it yet"}}) {
    const std::string path = c.file[0] == '/' ? c.file : dir.File(c.file);
    const bool exists = std::filesystem::is_regular_file(path);
    const std::string before = exists ? ::tce::testing::ReadFileBytes(path) : "";
    for (const History::Access access : kAll) {
      // A missing or empty file becomes a history only to keep a run in.
      if (access != History::Access::kRead &&
          (c.file == std::string("empty.db") || c.file == std::string("missing.db")))
        continue;
      std::unique_ptr<History> history;
      const Status status = History::Open(path, &history, access);
      EXPECT_FALSE(status.ok()) << c.file;
      EXPECT_NE(status.ToString().find(c.says), std::string::npos)
          << status.ToString();
    }
    EXPECT_EQ(std::filesystem::is_regular_file(path), exists) << c.file;
    if (exists) {
      EXPECT_EQ(::tce::testing::ReadFileBytes(path), before) << c.file;
    }
  }
}

TEST(HistoryFileTest, AFileTheUserMayOnlyReadServesWhatOnlyReads) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser writes any file";
  TempDir dir;
  const std::string folder = dir.File("shared");
  std::filesystem::create_directory(folder);
  const std::string path = folder + "/h.db";
  KeepOrFail(*OpenOrFail(path), *MakeRun(5, 1, "a"));
  chmod(path.c_str(), 0444);
  chmod(folder.c_str(), 0555);
  std::unique_ptr<History> history;
  EXPECT_EQ(History::Open(path, &history).kind(), FailureKind::kFile);
  ASSERT_TRUE(History::Open(path, &history, History::Access::kRead).ok());
  std::vector<KeptRun> runs;
  ASSERT_TRUE(history->AllRuns(&runs).ok());
  EXPECT_EQ(runs.size(), 1u);
  history.reset();
  chmod(folder.c_str(), 0755);
  EXPECT_EQ(std::filesystem::directory_iterator(folder)->path(), path);
}

// A file of the first schema, as that release made it, with one run of
// two tables: 100 pages of 2,048 bytes whose rows of 100 bytes compress to
// 60 (row) and 40 (page), and 50 pages of 4,096 bytes without statistics.
void WriteVersion1File(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  const char* sql = R"sql(
CREATE TABLE runs (id INTEGER PRIMARY KEY, server_name TEXT NOT NULL,
  server_host TEXT NOT NULL, database TEXT NOT NULL, started TEXT NOT NULL,
  started_ns INTEGER NOT NULL, ended_ns INTEGER NOT NULL,
  server_version TEXT NOT NULL, min_compression INTEGER NOT NULL,
  min_size_mb INTEGER NOT NULL, ignore_no_stats INTEGER NOT NULL,
  cardinality TEXT NOT NULL, compression TEXT NOT NULL, unit TEXT NOT NULL,
  delimiter TEXT NOT NULL, owners TEXT NOT NULL, tables TEXT NOT NULL,
  plan_margin INTEGER, plan_threshold INTEGER,
  UNIQUE (server_name, server_host, database, started));
CREATE TABLE names (id INTEGER PRIMARY KEY, owner TEXT NOT NULL,
  name TEXT NOT NULL, UNIQUE (owner, name));
CREATE TABLE run_tables (run INTEGER NOT NULL REFERENCES runs (id),
  seq INTEGER NOT NULL, name INTEGER NOT NULL REFERENCES names (id),
  rows INTEGER NOT NULL, pages INTEGER NOT NULL, page_size INTEGER NOT NULL,
  row_length INTEGER NOT NULL, compressed_row INTEGER NOT NULL,
  compressed_page INTEGER NOT NULL, basis_full INTEGER NOT NULL,
  basis_sampled INTEGER NOT NULL, basis_none INTEGER NOT NULL,
  PRIMARY KEY (run, seq)) WITHOUT ROWID;
INSERT INTO runs VALUES (1, 'srv', 'h', 'sales', '2026-01-02T03:04:05.006Z',
  1767323045006000000, 1767323046000000000, '11.70', 0, 0, 0, 'max', 'page',
  'pages', 'tab', '', '', NULL, NULL);
INSERT INTO names VALUES (1, 'o', 'a'), (2, 'o', 'b');
INSERT INTO run_tables VALUES (1, 0, 1, 10000000, 1000000, 2048, 1000000,
  600000, 400000, 3, 0, 0), (1, 1, 2, 0, 500000, 4096, 1000000, 600000,
  400000, 0, 0, 3);
PRAGMA application_id = 1413694792;
PRAGMA user_version = 1;
)sql";
  ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db);
  sqlite3_close(db);
}

TEST(HistoryFileTest, AnOlderFileIsUpgradedInPlaceWithItsRunsTotals) {
  TempDir dir;
  WriteVersion1File(dir.File("v1.db"));
  auto history = OpenOrFail(dir.File("v1.db"));
  ASSERT_TRUE(history);
  std::vector<KeptRun> runs;
  ASSERT_TRUE(history->AllRuns(&runs).ok());
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].totals.tables, 2);
  EXPECT_EQ(runs[0].totals.size_bytes, 100 * 2048 + 50 * 4096);
  EXPECT_EQ(runs[0].totals.saved_bytes.row, 100 * 2048 * 0.4);
  EXPECT_EQ(runs[0].totals.saved_bytes.page, 100 * 2048 * 0.6);
  std::shared_ptr<RunRecord> read;
  ASSERT_TRUE(history->Read(1, &read).ok());
  EXPECT_EQ(read->tables.size(), 2u);
  // Runs kept after the upgrade have their totals too.
  const auto later = MakeRun(3, 1, "srv");
  KeepOrFail(*history, *later);
  runs.clear();
  ASSERT_TRUE(history->AllRuns(&runs).ok());
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[runs[0].id == 1 ? 1 : 0].totals.tables, 3);
  int64_t version = 0;
  std::unique_ptr<SqliteFile> file;
  ASSERT_TRUE(SqliteFile::Open(dir.File("v1.db"), 0, SqliteFile::kWrite, false, &file).ok());
  ASSERT_TRUE(file->QueryInteger("PRAGMA user_version", &version).ok());
  EXPECT_EQ(version, History::kSchemaVersion);
}

TEST(HistoryFileTest, PruningKeepsTheNewestRunsOfEachDatabase) {
  TempDir dir;
  auto history = OpenOrFail(dir.File("h.db"));
  for (int seed = 0; seed < 5; ++seed) {
    KeepOrFail(*history, *MakeRun(20, seed, "a"));
    if (seed < 2) KeepOrFail(*history, *MakeRun(20, seed, "b"));
  }
  int64_t removed = 0;
  ASSERT_TRUE(history->Prune(3, &removed).ok());
  EXPECT_EQ(removed, 2);
  std::vector<KeptRun> a, b;
  ASSERT_TRUE(history->RunsOf({"a", "host-1"}, "sales", &a).ok());
  ASSERT_TRUE(history->RunsOf({"b", "host-1"}, "sales", &b).ok());
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(b.size(), 2u);
  std::shared_ptr<RunRecord> oldest;
  ASSERT_TRUE(history->Read(a[0].id, &oldest).ok());
  ExpectSameRecord(*MakeRun(20, 2, "a"), *oldest);
  // Nothing of the removed runs stays behind in the file.
  history.reset();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(dir.File("h.db").c_str(), &db), SQLITE_OK);
  for (const char* table : {"run_tables", "run_totals"}) {
    const std::string sql = std::string("SELECT count(DISTINCT run) FROM ") +
                            table + " WHERE run NOT IN (SELECT id FROM runs)";
    sqlite3_stmt* count = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &count, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(count, 0), 0) << table;
    sqlite3_finalize(count);
  }
  sqlite3_close(db);
}

// The child's connection dies at a chosen point of its work.
int kills_after = 0;
int KillAtTick(void*) {
  if (--kills_after == 0) raise(SIGKILL);
  return 0;
}
int KillAtCommit(void*) {
  raise(SIGKILL);
  return 0;
}
int ArmTicks(sqlite3* db, const char**, const void*) {
  sqlite3_progress_handler(db, 1000, KillAtTick, nullptr);
  return SQLITE_OK;
}
int ArmCommit(sqlite3* db, const char**, const void*) {
  sqlite3_commit_hook(db, KillAtCommit, nullptr);
  return SQLITE_OK;
}

TEST(HistoryFileTest, AWriterKilledPartWayLeavesEveryEarlierRunWhole) {
  using Arm = int (*)(sqlite3*, const char**, const void*);
  for (Arm arm : {Arm{ArmTicks}, Arm{ArmCommit}}) {
    TempDir dir;
    const std::string path = dir.File("h.db");
    std::vector<std::shared_ptr<RunRecord>> earlier;
    {
      auto history = OpenOrFail(path);
      for (int seed = 1; seed <= 3; ++seed) {
        earlier.push_back(MakeRun(2000, seed));
        KeepOrFail(*history, *earlier.back());
      }
    }
    const int ended = InChild([&] {
      kills_after = 300;  // well inside the tables of a 20,000-table run
      sqlite3_auto_extension(reinterpret_cast<void (*)()>(arm));
      std::unique_ptr<History> history;
      int64_t id = 0;
      bool added = false;
      if (!History::Open(path, &history).ok()) return 2;
      history->Keep(*MakeRun(20000, 9), &id, &added);
      return 0;  // not killed: the test fails below
    });
    ASSERT_TRUE(WIFSIGNALED(ended) && WTERMSIG(ended) == SIGKILL) << ended;
    auto history = OpenOrFail(path);
    std::vector<KeptRun> runs;
    ASSERT_TRUE(history->RunsOf(earlier[0]->server, "sales", &runs).ok());
    ASSERT_EQ(runs.size(), earlier.size());
    for (size_t i = 0; i < runs.size(); ++i) {
      std::shared_ptr<RunRecord> read;
      ASSERT_TRUE(history->Read(runs[i].id, &read).ok());
      ExpectSameRecord(*earlier[i], *read);
    }
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);
    // The file takes runs again.
    KeepOrFail(*history, *MakeRun(10, 10));
  }
}

TEST(HistoryFileTest, TwoWritersAtOnceBothLand) {
  TempDir dir;
  const std::string path = dir.File("h.db");
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  std::vector<pid_t> children;
  for (const char* server : {"alpha", "beta"}) {
    const pid_t child = fork();
    if (child == 0) {
      char byte;
      close(go[1]);
      if (read(go[0], &byte, 1) != 0) _exit(3);  // both start together
      std::unique_ptr<History> history;
      if (!History::Open(path, &history).ok()) _exit(2);
      for (int seed = 0; seed < 6; ++seed) {
        int64_t id = 0;
        bool added = false;
        if (!history->Keep(*MakeRun(3000, seed, server), &id, &added).ok() ||
            !added)
          _exit(1);
      }
      _exit(0);
    }
    children.push_back(child);
  }
  close(go[0]);
  close(go[1]);
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  auto history = OpenOrFail(path);
  for (const char* server : {"alpha", "beta"}) {
    std::vector<KeptRun> runs;
    ASSERT_TRUE(history->RunsOf({server, "host-1"}, "sales", &runs).ok());
    ASSERT_EQ(runs.size(), 6u) << server;
    std::shared_ptr<RunRecord> last;
    ASSERT_TRUE(history->Read(runs.back().id, &last).ok());
    ExpectSameRecord(*MakeRun(3000, 5, server), *last);
  }
}

}  // namespace
}  // namespace tce
