// The history through the command-line tool: a fleet's documents
// imported (twice: kept once), listed and pruned; a server's databases
// run at once all kept; the report's history sections equal whether live
// or from the run's JSON; files the tool cannot use.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/batch_process.h"
#include "support/temp_dir.h"
#include "support/test_server.h"

namespace tce {
namespace {

using ::tce::testing::ReadFileBytes;
using ::tce::testing::Result;
using ::tce::testing::RunBatchProcess;
using ::tce::testing::TempDir;
using ::tce::testing::TestServer;

std::vector<std::vector<std::string>> Fields(const std::string& text) {
  std::vector<std::vector<std::string>> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, '\t');)
      fields.push_back(field);
    lines.push_back(fields);
  }
  return lines;
}

class HistoryBatchTest : public ::testing::Test {
 protected:
  // Two databases: north with tables of 10 and 30 pages of 4,096 bytes,
  // south with one of 5 pages.
  HistoryBatchTest() : server_("11.70", 4096) {
    auto& north = server_.Database("north");
    north.AddColumn(north.AddTable("o", "a", 10, 100, 4096), "c", 0, 50);
    north.AddColumn(north.AddTable("o", "b", 30, 900, 4096), "c", 0, 50);
    server_.Finish();
    auto& south = server_.Database("south");
    south.AddColumn(south.AddTable("o", "c", 5, 10, 4096), "c", 0, 50);
    server_.Finish();
  }
  Result Batch(const std::vector<std::string>& args) {
    return RunBatchProcess(args, "", dir_.path().string());
  }
  std::string History() const { return dir_.File("h.db"); }

  TempDir dir_;
  TestServer server_;
};

TEST_F(HistoryBatchTest, AFleetsDocumentsAreKeptOnceListedAndPruned) {
  const std::string north = server_.DatabasePath("north");
  for (const char* file : {"1.json", "2.json"}) {
    ASSERT_EQ(Batch({"--database", north, "--json", "--output", dir_.File(file)})
                  .status, 0);
  }
  ASSERT_EQ(Batch({"--database", north, "--all-databases", "--json", "--output",
                   dir_.File("all.json")}).status, 0);
  // A file that is no run's document keeps nothing of any.
  ::tce::testing::WriteFileBytes(dir_.File("bad.json"), "{}");
  Result imported = Batch({"--history", History(), "--import", dir_.File("1.json"),
                           dir_.File("bad.json")});
  EXPECT_EQ(imported.status, 2);
  EXPECT_NE(imported.err.find("bad.json"), std::string::npos) << imported.err;
  imported = Batch({"--history", History(), "--import", dir_.File("1.json"),
                    dir_.File("2.json"), dir_.File("all.json"), "--list"});
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_NE(imported.err.find("kept 4 runs; 0 were kept already"),
            std::string::npos) << imported.err;
  imported = Batch({"--history", History(), "--import", dir_.File("2.json"),
                    dir_.File("1.json"), "--list"});
  EXPECT_NE(imported.err.find("kept 0 runs; 2 were kept already"),
            std::string::npos) << imported.err;
  const auto lines = Fields(imported.out);
  ASSERT_EQ(lines.size(), 5u) << imported.out;
  EXPECT_EQ(lines[0], (std::vector<std::string>{
                          "Run", "Started", "Server", "Host", "Database",
                          "Tables", "Size (bytes)", "Saved (bytes)", "%Saved",
                          "Method"}));
  int norths = 0;
  for (size_t i = 1; i < lines.size(); ++i) {
    const bool is_north = lines[i][4].find("north") != std::string::npos;
    norths += is_north;
    EXPECT_EQ(lines[i][5], is_north ? "2" : "1");
    EXPECT_EQ(lines[i][6], std::to_string((is_north ? 40 : 5) * 4096));
    EXPECT_EQ(lines[i][1].size(), 24u) << lines[i][1];  // ISO 8601, ms, Z
  }
  EXPECT_EQ(norths, 3);
  // A database is one whether its runs gave its file's path or the name
  // the server lists: north's three runs are one database's.
  const Result pruned = Batch({"--history", History(), "--prune", "1", "--list"});
  ASSERT_EQ(pruned.status, 0) << pruned.err;
  EXPECT_NE(pruned.err.find("removed 2 runs,"), std::string::npos) << pruned.err;
  const auto kept = Fields(pruned.out);
  ASSERT_EQ(kept.size(), 3u) << pruned.out;
  EXPECT_EQ(std::set<std::string>({kept[1][4], kept[2][4]}),
            (std::set<std::string>{"north", "south"}));
}

TEST_F(HistoryBatchTest, DatabasesRunAtOnceAreAllKept) {
  for (int run = 0; run < 2; ++run) {
    const Result all = Batch({"--database", server_.DatabasePath("north"),
                              "--all-databases", "--jobs", "2", "--history",
                              History()});
    ASSERT_EQ(all.status, 0) << all.err;
  }
  const Result list = Batch({"--history", History(), "--list"});
  EXPECT_EQ(Fields(list.out).size(), 1u + 4u) << list.out;
}

TEST_F(HistoryBatchTest, TheReportsHistoryIsTheSameLiveAndFromTheRunsJson) {
  const std::string north = server_.DatabasePath("north");
  ASSERT_EQ(Batch({"--database", north, "--history", History()}).status, 0);
  const Result live =
      Batch({"--database", north, "--history", History(), "--json", "--output",
             dir_.File("run.json"), "--report", dir_.File("live.html")});
  ASSERT_EQ(live.status, 0) << live.err;
  const Result from = Batch({"--history", History(), "--report",
                             dir_.File("from.html"), "--report-from",
                             dir_.File("run.json")});
  ASSERT_EQ(from.status, 0) << from.err;
  const std::string html = ReadFileBytes(dir_.File("live.html"));
  EXPECT_EQ(html, ReadFileBytes(dir_.File("from.html")));
  EXPECT_NE(html.find("<h2 id=\"history1\">Since the last run</h2>"),
            std::string::npos);
  EXPECT_NE(html.find("Tables changed: 0."), std::string::npos);
  EXPECT_NE(html.find("kept runs: 2, the first 160 kB"), std::string::npos) << html;
  // Without --history the report has no such section.
  ASSERT_EQ(Batch({"--report", dir_.File("plain.html"), "--report-from",
                   dir_.File("run.json")}).status, 0);
  EXPECT_EQ(ReadFileBytes(dir_.File("plain.html")).find("history1"),
            std::string::npos);
}

TEST_F(HistoryBatchTest, AHistoryTheToolCannotUseIsRefusedBeforeAnyRun) {
  ASSERT_EQ(Batch({"--history", History(), "--import", "/dev/null"}).status, 2);
  {
    ASSERT_EQ(Batch({"--database", server_.DatabasePath("south"), "--history",
                     History()}).status, 0);
    sqlite3* db = nullptr;
    sqlite3_open(History().c_str(), &db);
    sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  const Result newer = Batch({"--database", server_.DatabasePath("south"),
                              "--history", History(), "--output",
                              dir_.File("out")});
  EXPECT_EQ(newer.status, 2);
  EXPECT_NE(newer.err.find("newer release (schema version 99"), std::string::npos)
      << newer.err;
  EXPECT_FALSE(std::filesystem::exists(dir_.File("out")));
  EXPECT_EQ(Batch({"--history", dir_.File("none.db"), "--list"}).status, 2);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("none.db")));
  EXPECT_EQ(Batch({"--history", History(), "--output", History(), "--database",
                   "x"}).status, 2);  // one file, two roles
}

}  // namespace
}  // namespace tce
