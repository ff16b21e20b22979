// Several databases in one run, and the report: the same lines as the
// single runs with the database in front, one failed database among
// several, refused report inputs, and the report rendered by a browser.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/json_value.h"
#include <unistd.h>
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
using ::tce::testing::Timeless;
using ::tce::testing::WriteFileBytes;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The lines of a delimited output by section (a header line starts each).
std::vector<std::vector<std::string>> Sections(const std::string& text) {
  std::vector<std::vector<std::string>> sections;
  for (const std::string& line : Lines(text)) {
    if (line.rfind("Schema\t", 0) == 0 || line.rfind("Database\t", 0) == 0)
      sections.emplace_back();
    sections.back().push_back(line);
  }
  return sections;
}

TEST(DatabasesTest, EveryDatabaseGivesTheLinesOfItsOwnRunWithItsName) {
  for (const std::vector<std::string>& extra :
       {std::vector<std::string>{}, {"--columns", "--explain"}, {"--plan"}}) {
    std::vector<std::string> all = {"--database", "demo", "--all-databases"};
    all.insert(all.end(), extra.begin(), extra.end());
    const Result together = RunBatchProcess(all);
    ASSERT_EQ(together.status, 0) << together.err;
    const auto sections = Sections(together.out);
    std::vector<std::vector<std::string>> expected(sections.size());
    for (const char* database : {"archive", "demo"}) {
      std::vector<std::string> one = {"--database", database};
      one.insert(one.end(), extra.begin(), extra.end());
      const Result alone = RunBatchProcess(one);
      ASSERT_EQ(alone.status, 0) << alone.err;
      const auto own = Sections(alone.out);
      ASSERT_EQ(own.size(), sections.size());
      for (size_t s = 0; s < own.size(); ++s) {
        if (expected[s].empty()) expected[s].push_back("Database\t" + own[s][0]);
        for (size_t i = 1; i < own[s].size(); ++i)
          expected[s].push_back(std::string(database) + "\t" + own[s][i]);
      }
    }
    EXPECT_EQ(sections, expected) << extra.size();
  }
  // JSON: each database's document is its own run's, whatever the jobs.
  const Result one_job = RunBatchProcess(
      {"--database", "demo", "--all-databases", "--json", "--columns", "--jobs", "1"});
  const Result four_jobs = RunBatchProcess(
      {"--database", "demo", "--all-databases", "--json", "--columns", "--jobs", "4"});
  ASSERT_EQ(one_job.status, 0) << one_job.err;
  EXPECT_EQ(Timeless(one_job.out), Timeless(four_jobs.out));
  const Result archive =
      RunBatchProcess({"--database", "archive", "--json", "--columns"});
  EXPECT_NE(Timeless(one_job.out)
                .find(Timeless(archive.out.substr(0, archive.out.size() - 1))),
            std::string::npos);
  EXPECT_EQ(Json::Parse(one_job.out)["databases"].items.size(), 2u);
}

TEST(DatabasesTest, AFailedDatabaseIsNamedAndTheOthersAreWritten) {
  TestServer server;
  for (const char* name : {"alpha", "beta", "gamma"}) {
    auto& db = server.Database(name);
    const int table = db.AddTable("o", std::string("t_") + name, 10, 1000, 2048);
    db.AddColumn(table, "c", 0, 40);
  }
  server.Finish();
  // beta is listed but goes before its run.
  std::filesystem::remove(server.DatabasePath("beta"));
  const std::string first = server.DatabasePath("alpha");
  const Result some = RunBatchProcess(
      {"--database", first, "--all-databases", "--json", "--jobs", "2"});
  EXPECT_EQ(some.status, 4) << some.err;
  EXPECT_NE(some.err.find("database beta failed"), std::string::npos) << some.err;
  const Json document = Json::Parse(some.out);
  ASSERT_EQ(document["databases"].items.size(), 3u);
  EXPECT_EQ(document["databases"].items[1]["database"].text, "beta");
  EXPECT_NE(document["databases"].items[1]["error"].text.find("does not exist"),
            std::string::npos);
  EXPECT_EQ(document["databases"].items[2]["tables"].items.size(), 1u);
  // Every database failed: nothing is written.
  std::filesystem::remove(server.DatabasePath("gamma"));
  const Result none = RunBatchProcess(
      {"--database", first, "--database", server.DatabasePath("beta"),
       "--database", server.DatabasePath("gamma")});
  EXPECT_EQ(none.status, 4);  // alpha still answers
  const Result all_failed = RunBatchProcess(
      {"--database", server.DatabasePath("beta"), "--database",
       server.DatabasePath("gamma")});
  EXPECT_EQ(all_failed.status, 3);
  EXPECT_EQ(all_failed.out, "");
}

TEST(DatabasesTest, AReportFromAnythingButTheToolsJsonIsRefused) {
  TempDir dir;
  const std::string good = dir.File("good.json");
  const Result run = RunBatchProcess(
      {"--database", "demo", "--json", "--output", good});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string report = dir.File("report.html");
  for (const std::string& bad :
       {std::string("not json at all"), std::string("{\"tables\": 3}"),
        std::string(100000, '[') , std::string("{\"databases\": [{\"x\": 1}]}")}) {
    WriteFileBytes(dir.File("bad.json"), bad);
    const Result refused = RunBatchProcess(
        {"--report", report, "--report-from", good, dir.File("bad.json")});
    EXPECT_EQ(refused.status, 2) << bad.substr(0, 40);
    EXPECT_NE(refused.err.find(dir.File("bad.json")), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(report));
  }
  // A document of the tool's old shape, without the record of its run.
  WriteFileBytes(dir.File("old.json"),
                 "{\"database\": \"x\", \"tables\": [], \"totals\": {}}");
  const Result old =
      RunBatchProcess({"--report", report, "--report-from", dir.File("old.json")});
  EXPECT_EQ(old.status, 2);
  EXPECT_NE(old.err.find("no record"), std::string::npos) << old.err;
  EXPECT_FALSE(std::filesystem::exists(report));
}

// Names are text on the page, whatever they hold.
TEST(DatabasesTest, HostileNamesAreTextInTheReport) {
  TestServer server;
  auto& db = server.Database("odd");
  const int table = db.AddTable("o\"&'", "<script>x</script>\xff", 10, 1000, 2048);
  db.AddColumn(table, "c", 0, 40);
  server.Finish();
  TempDir dir;
  const Result run = RunBatchProcess({"--database", server.DatabasePath("odd"),
                                      "--report", dir.File("odd.html")});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string html = ReadFileBytes(dir.File("odd.html"));
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_NE(html.find("&lt;script&gt;x&lt;/script&gt;\xEF\xBF\xBD"),
            std::string::npos);
  EXPECT_NE(html.find("o&quot;&amp;&#39;"), std::string::npos);
}

// The page a browser shows: it renders (far from blank), and its totals
// are the JSON's.
TEST(DatabasesTest, TheServersReportRendersInABrowserWithTheJsonsTotals) {
  const char* browser = nullptr;
  for (const char* name : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
    if (access(name, X_OK) == 0) browser = name;
  }
  if (browser == nullptr) GTEST_SKIP() << "no headless browser here";
  TempDir dir;
  const std::string json = dir.File("server.json");
  const Result run = RunBatchProcess(
      {"--database", "demo", "--all-databases", "--plan", "--json", "--output",
       json, "--report", dir.File("live.html")});
  ASSERT_EQ(run.status, 0) << run.err;
  const Result again = RunBatchProcess(
      {"--report", dir.File("again.html"), "--report-from", json});
  ASSERT_EQ(again.status, 0) << again.err;
  double size = 0, saved = 0;
  int64_t tables = 0;
  const Json document = Json::Parse(ReadFileBytes(json));
  for (const Json& database : document["databases"].items) {
    for (const char* key : {"page", "row", "leave", "no_statistics"}) {
      const Json& group = database["totals"][key];
      tables += static_cast<int64_t>(group["tables"].number());
      if (std::string(key) != "no_statistics") {
        size += group["size_bytes"].number();
        saved += group["saved_bytes"].number();
      }
    }
  }
  for (const char* page : {"live.html", "again.html"}) {
    const std::string html = ReadFileBytes(dir.File(page));
    auto total = [&](const std::string& key) {
      const std::string mark = "data-total=\"" + key + "\" data-bytes=\"";
      const size_t at = html.find(mark);
      return at == std::string::npos
                 ? -1.0
                 : std::strtod(html.c_str() + at + mark.size(), nullptr);
    };
    // The JSON's totals are rounded to whole bytes group by group.
    EXPECT_NEAR(total("size_bytes"), size, 8) << page;
    EXPECT_NEAR(total("saved_bytes"), saved, 8) << page;
    EXPECT_NE(html.find("data-total=\"tables\">" + std::to_string(tables) + "<"),
              std::string::npos) << page;
  }
  // Rendered to PNG beside a blank page of the same size.
  WriteFileBytes(dir.File("blank.html"), "<!DOCTYPE html><html><body></body></html>");
  auto render = [&](const std::string& page, const std::string& png) {
    const std::string command =
        "timeout 120 " + std::string(browser) +
        " --headless --no-sandbox --disable-gpu --hide-scrollbars"
        " --user-data-dir=" + dir.File("profile") +
        " --window-size=1000,2600 --screenshot=" + dir.File(png) + " file://" +
        dir.File(page) + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    struct stat info {};
    return stat(dir.File(png).c_str(), &info) == 0 ? info.st_size : 0;
  };
  const auto report_bytes = render("live.html", "live.png");
  const auto blank_bytes = render("blank.html", "blank.png");
  ASSERT_GT(blank_bytes, 0);
  EXPECT_GT(report_bytes, 10 * blank_bytes);
  const std::string png = ReadFileBytes(dir.File("live.png"));
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

}  // namespace
}  // namespace tce
