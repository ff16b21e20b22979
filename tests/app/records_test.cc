// A run's record as a document: the report of a run's JSON is the run's own
// report byte for byte; the same run read twice is refused; several
// databases are each estimated once, only by their names, with at most as
// many waiting as run at once.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "support/batch_process.h"
#include "support/json_value.h"
#include "support/temp_dir.h"
#include "support/test_server.h"

namespace tce {
namespace {

using ::tce::testing::ReadFileBytes;
using ::tce::testing::Result;
using ::tce::testing::RunBatchProcess;
using ::tce::testing::TempDir;
using ::tce::testing::TestServer;

std::vector<std::string> With(std::vector<std::string> args,
                              const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST(RecordsTest, AReportFromARunsJsonIsTheRunsOwnReport) {
  TempDir dir;
  const std::string json = dir.File("run.json"), live = dir.File("live.html"),
                    again = dir.File("again.html");
  for (const std::vector<std::string>& options :
       std::vector<std::vector<std::string>>{
           {}, {"--plan"}, {"--min-compression", "40"}, {"--row", "--bytes"},
           {"--ignore-no-stats"}, {"--column-cardinality"},
           {"--all-databases"}, {"--all-databases", "--plan", "--bytes"}}) {
    const Result run = RunBatchProcess(With(
        {"--database", "demo", "--json", "--output", json, "--report", live},
        options));
    ASSERT_EQ(run.status, 0) << run.err;
    const Result from =
        RunBatchProcess({"--report", again, "--report-from", json});
    ASSERT_EQ(from.status, 0) << from.err;
    const std::string page = ReadFileBytes(live);
    EXPECT_EQ(page, ReadFileBytes(again)) << options.size();
    // What the page says rests on every table it counts: none is lost.
    EXPECT_EQ(page.find("Of 0 columns"), std::string::npos);
  }
  // The same run twice would count twice.
  const std::string copy = dir.File("copy.json");
  testing::WriteFileBytes(copy, ReadFileBytes(json));
  const Result twice =
      RunBatchProcess({"--report", again, "--report-from", json, copy});
  EXPECT_EQ(twice.status, 2);
  EXPECT_NE(twice.err.find("count twice"), std::string::npos) << twice.err;
}

// The report's figures are the run's: its totals are the sums of the JSON's
// listed tables (shown units times their bytes), and each of the largest
// savings shows the table's listed %Saved, in whichever method and unit.
TEST(RecordsTest, TheReportShowsTheRunsOwnFigures) {
  TempDir dir;
  for (const std::vector<std::string>& options :
       std::vector<std::vector<std::string>>{{}, {"--row", "--bytes"}}) {
    const Result run = RunBatchProcess(With(
        {"--database", "demo", "--json", "--output", dir.File("r.json"),
         "--report", dir.File("r.html")}, options));
    ASSERT_EQ(run.status, 0) << run.err;
    const Json document = Json::Parse(ReadFileBytes(dir.File("r.json")));
    const std::string html = ReadFileBytes(dir.File("r.html"));
    const bool pages = options.empty();
    double size = 0, compressed = 0;
    for (const Json& t : document["tables"].items) {
      if (t["count"].number() <= 0) continue;
      const double unit = pages ? t["page_size"].number() : 1024;
      size += t["size"].number() * unit;
      compressed += t["compressed"].number() * unit;
      // The row of the table among the largest savings, if it is there.
      const std::string cells = "<td>" + t["owner"].text + "</td><td>" +
                                t["table"].text + "</td>";
      const size_t at = html.find(cells);
      if (at == std::string::npos) continue;
      const size_t end = html.find("</tr>", at);
      const std::string row = html.substr(at, end - at);
      EXPECT_NE(row.find(">" + std::to_string(static_cast<int>(
                                  t["saved_pct"].number())) + " %<"),
                std::string::npos) << row;
    }
    EXPECT_NE(html.find("data-total=\"size_bytes\" data-bytes=\"" +
                        std::to_string(static_cast<long long>(size)) + "\""),
              std::string::npos) << options.size();
    EXPECT_NE(html.find("data-total=\"compressed_bytes\" data-bytes=\"" +
                        std::to_string(static_cast<long long>(compressed)) + "\""),
              std::string::npos) << options.size();
  }
}

// The databases a server lists, with rows added to its list by hand.
void ListAlso(const TestServer& server, const std::vector<std::string>& names) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(server.dir().File("sysmaster.db").c_str(), &db),
            SQLITE_OK);
  for (const std::string& name : names) {
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO sysdatabases (name, owner, created) "
                       "VALUES (?, 'x', date('now'))",
                       -1, &insert, nullptr);
    sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE) << name;
    sqlite3_finalize(insert);
  }
  sqlite3_close(db);
}

TEST(RecordsTest, NamesTheServerListsAreNamesAndEachDatabaseRunsOnce) {
  TestServer server;
  for (const char* name : {"alpha", "beta"}) {
    auto& db = server.Database(name);
    const int table = db.AddTable("o", std::string("t_") + name, 10, 1000, 2048);
    db.AddColumn(table, "c", 0, 40);
    server.Finish();
  }
  // Another server's database, reachable by a path the list names.
  TestServer other;
  auto& db = other.Database("gamma");
  db.AddColumn(db.AddTable("o", "t_gamma", 10, 1000, 2048), "c", 0, 40);
  other.Finish();
  ListAlso(server, {other.DatabasePath("gamma").substr(0, other.DatabasePath("gamma").size() - 3),
                    "bad\x1b[31mname"});
  const std::string alpha = server.DatabasePath("alpha");
  const Result run = RunBatchProcess(
      {"--database", alpha, "--all-databases", "--database", alpha,
       "--database", server.dir().File("./beta.db"), "--json"});
  EXPECT_EQ(run.status, 4) << run.err;  // the two names it cannot open
  const Json document = Json::Parse(run.out);
  ASSERT_EQ(document["databases"].items.size(), 4u) << run.out.substr(0, 200);
  int estimated = 0;
  for (const Json& entry : document["databases"].items) {
    estimated += entry["error"].is_string() ? 0 : 1;
    EXPECT_EQ(run.out.find("t_gamma"), std::string::npos);
  }
  EXPECT_EQ(estimated, 2);  // alpha and beta, once each
  EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << "escaped on the terminal";
  EXPECT_NE(run.err.find("bad\\x1b[31mname"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("estimated once"), std::string::npos) << run.err;
}

TEST(RecordsTest, ManyDatabasesNeedNoMoreFilesThanRunAtOnce) {
  TestServer server;
  // The first database takes long: the others end meanwhile, and must not
  // all wait with their column lines open until it is done.
  for (int i = 0; i < 120; ++i) {
    auto& db = server.Database("d" + std::to_string(i));
    for (int t = 0; t < (i == 0 ? 4000 : 1); ++t)
      db.AddColumn(db.AddTable("o", "t" + std::to_string(t), 10, 1000, 2048),
                   "c", 0, 40);
    server.Finish();
  }
  // A sanitizer's runtime opens pipes of its own to probe memory.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  const int limit = 20;
#else
  const int limit = 12;
#endif
  const std::string command =
      "ulimit -n " + std::to_string(limit) + " && " + testing::ProgramDir() +
      "/tarvex-compest-batch --database " + server.DatabasePath("d0") +
      " --all-databases --columns --jobs 2 </dev/null | grep -c '\tc\t'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char lines[32] = {};
  ASSERT_NE(fgets(lines, sizeof lines, pipe), nullptr);
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_EQ(std::stoi(lines), 4119);  // every database's column lines
}

}  // namespace
}  // namespace tce
