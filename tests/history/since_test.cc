// --since through the command-line tool: two catalogs of one database,
// the second with tables added, dropped, grown, compressed and given or
// robbed of statistics; the changes expected are worked out here from the
// catalogs' numbers.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "history/since.h"
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

// One table of a catalog: pages of 2,048 bytes, rows (0: no statistics)
// and CHAR columns of 100 bytes (fixed length: the saving does not follow
// the rows or pages).
struct Table {
  const char* name;
  long long pages, rows;
  int columns = 1;
};

const std::vector<Table> kFirst = {
    {"keep", 1000, 100000},   {"grow", 1000, 100000}, {"drop", 300, 9000},
    {"packed", 2000, 100000}, {"stats", 500, 0},      {"lost", 500, 50000},
    {"wide", 800, 40000},     {"trim", 1000, 100000}, {"bulk", 1000, 100000}};
const std::vector<Table> kSecond = {
    {"keep", 1000, 100000},   {"grow", 1500, 160000}, {"add", 700, 7000},
    {"packed", 1000, 104000, 2}, {"stats", 500, 50000},  {"lost", 500, 0},
    {"wide", 800, 40000, 4},  {"trim", 995, 100000},  {"bulk", 600, 120000}};

void Build(TestServer& server, const std::vector<Table>& tables) {
  auto& db = server.Database("shop");
  for (const Table& t : tables) {
    const int id = db.AddTable("o", t.name, t.pages, t.rows, 2048);
    for (int c = 0; c < t.columns; ++c)
      db.AddColumn(id, "c" + std::to_string(c), 0, 100);
  }
  server.Finish();
}

// A document's records of `list` by table name.
std::map<std::string, Json> ByTable(const Json& doc, const char* list) {
  std::map<std::string, Json> tables;
  for (const Json& t : doc[list].items) tables[t["table"].text] = t;
  return tables;
}

std::map<std::string, Json> RecordTables(const std::string& path) {
  return ByTable(Json::Parse(ReadFileBytes(path)), "record_tables");
}

// Which way a table's page saving went between two runs' records.
std::string Moved(const std::map<std::string, Json>& first,
                  const std::map<std::string, Json>& second, const char* table) {
  return first.at(table)["saved_pct"]["page"].number() <
                 second.at(table)["saved_pct"]["page"].number()
             ? "saving_up"
             : "saving_down";
}

// The report's changes: a fall has its minus sign (2,048,000 bytes are
// 1.95 MB), a gone table no size now; the summary counts the kinds.
void ExpectReportAndSummary(const std::string& html, const std::string& err) {
  EXPECT_NE(html.find("data-bytes=\"-2048000\">\u22122.0 MB</td>"),
            std::string::npos);
  EXPECT_NE(html.find("<td>drop</td><td>gone</td><td class=\"n\" "
                      "data-bytes=\"614400\">600 kB</td><td class=\"n\"></td>"),
            std::string::npos);
  EXPECT_NE(err.find("9 tables changed since run 1"), std::string::npos) << err;
  EXPECT_NE(err.find("1 new, 1 gone, 1 grown, 3 shrunk, 1 newly worth "
                     "compressing, 1 no longer worth compressing, 1 compressed"),
            std::string::npos)
      << err;
}

class SinceTest : public ::testing::Test {
 protected:
  Result Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--database", server_.DatabasePath("shop"),
                               "--history", dir_.File("h.db")});
    return RunBatchProcess(args, "", dir_.path().string());
  }
  TempDir dir_;
  TestServer server_;
};

TEST_F(SinceTest, ListsWhatChangedWorkedOutFromTheCatalogs) {
  Build(server_, kFirst);
  ASSERT_EQ(Run({"--plan", "--plan-threshold", "1", "--json", "--output",
                 dir_.File("first.json")}).status, 0);
  Build(server_, kSecond);
  const Result since = Run({"--since", "last", "--plan", "--plan-threshold",
                            "1", "--json", "--summary", "--report",
                            dir_.File("since.html")});
  ASSERT_EQ(since.status, 0) << since.err;
  // The second catalog estimated alone: its savings by a second route.
  ASSERT_EQ(RunBatchProcess({"--database", server_.DatabasePath("shop"), "--json",
                             "--output", dir_.File("second.json")},
                            "", dir_.path().string()).status, 0);
  const auto first = RecordTables(dir_.File("first.json"));
  const auto second = RecordTables(dir_.File("second.json"));
  const Json doc = Json::Parse(since.out);
  const auto changes = ByTable(doc, "changes");
  // trim fell by 0.5 %, below the threshold of 1 %; bulk by 40 % while its
  // rows grew by 20 %: neither was compressed.
  const std::map<std::string, std::string> expected = {
      {"grow", "grown rows_up"},
      {"drop", "gone"},
      {"add", "new"},
      {"packed", "shrunk rows_up " + Moved(first, second, "packed") + " compressed"},
      {"trim", "shrunk"},
      {"bulk", "shrunk rows_up"},
      {"stats", "rows_up newly_recommended"},
      {"lost", "rows_down no_longer_recommended"},
      {"wide", Moved(first, second, "wide")}};
  ASSERT_EQ(changes.size(), expected.size()) << since.out;
  for (const auto& [name, words] : expected)
    EXPECT_EQ(changes.at(name)["changes"].text, words) << name;
  // Sizes are the catalog's pages of 2,048 bytes; the largest change first:
  // packed (-1000 pages), add (+700), grow (+500), bulk (-400), drop (-300,
  // gone), trim (-5).
  EXPECT_EQ(changes.at("grow")["size_change"].number(), 500 * 2048);
  EXPECT_EQ(changes.at("drop")["size_before"].number(), 300 * 2048);
  EXPECT_TRUE(changes.at("drop")["size_now"].is_null());
  EXPECT_EQ(changes.at("add")["rows_now"].number(), 7000);
  std::vector<std::string> order;
  for (const Json& t : doc["changes"].items) order.push_back(t["table"].text);
  ASSERT_GE(order.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 6),
            (std::vector<std::string>{"packed", "add", "grow", "bulk", "drop",
                                      "trim"}));
  EXPECT_EQ(changes.at("wide")["saved_pct_now"].number(),
            second.at("wide")["saved_pct"]["page"].number());
  // Compressed: pages fell by half at steady rows, beside what the first
  // run's plan estimated for its better method.
  const Json& packed = changes.at("packed");
  const std::string better = first.at("packed")["plan"]["better"].text;
  EXPECT_EQ(packed["pages_fell_pct"].number(), 50);
  EXPECT_EQ(packed["estimated_method"].text, better);
  EXPECT_EQ(packed["estimated_pct"].number(),
            first.at("packed")["saved_pct"][better].number());
  EXPECT_NE(packed["estimated_pct"].number(),  // the earlier run's, not this one's
            second.at("packed")["saved_pct"][better].number());
  EXPECT_EQ(doc["settings_changed"].items.size(), 0u);
  ExpectReportAndSummary(ReadFileBytes(dir_.File("since.html")), since.err);
}

TEST_F(SinceTest, SaysWhichSettingsDifferAndFindsTheRunAsked) {
  Build(server_, kFirst);
  ASSERT_EQ(Run({}).status, 0);
  ASSERT_EQ(Run({"--min-compression", "5"}).status, 0);
  // By date: a day before any run there is none; nothing is written, but
  // the run (3) is kept.
  const Result none = Run({"--since", "2001-02-03", "--output", dir_.File("o")});
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("from 2001-02-03T23:59:59.999Z or before"),
            std::string::npos) << none.err;
  EXPECT_FALSE(std::filesystem::exists(dir_.File("o")));
  // Against run 1, by its id, in delimited lines: the settings that differ
  // follow the changes, which are none.
  const Result by_id = Run({"--since", "1", "--row"});
  ASSERT_EQ(by_id.status, 0) << by_id.err;
  std::vector<std::string> lines;
  std::istringstream in(by_id.out);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 3u) << by_id.out;
  EXPECT_EQ(lines[0].rfind("Schema\tTable\tChanges\t", 0), 0u);
  EXPECT_EQ(lines[1], "Setting\tBefore\tNow\r");
  EXPECT_EQ(lines[2], "compression\tpage\trow\r");
  // The last run before this one is run 4, made with --row.
  // This one counts each column's own values and writes commas, with a
  // plan: four settings differ.
  const Result last = Run({"--since", "last", "--json", "--column-cardinality",
                           "--comma", "--plan", "--plan-margin", "5"});
  ASSERT_EQ(last.status, 0) << last.err;
  const Json doc = Json::Parse(last.out);
  EXPECT_EQ(doc["since"]["id"].number(), 4);
  EXPECT_EQ(doc["run"]["id"].number(), 5);
  std::map<std::string, std::string> settings;
  for (const Json& s : doc["settings_changed"].items)
    settings[s["setting"].text] = s["before"].text + " -> " + s["now"].text;
  EXPECT_EQ(settings, (std::map<std::string, std::string>{
                          {"cardinality", "max -> column"},
                          {"compression", "row -> page"},
                          {"delimiter", "tab -> comma"},
                          {"plan", "none -> margin 5, threshold 20"}}))
      << last.out;
  // Two of the nine tables chosen by name: the seven others were read by
  // the earlier run only, and are neither gone nor listed.
  const Result chosen = Run({"--since", "last", "--json", "--tables", "keep,grow"});
  ASSERT_EQ(chosen.status, 0) << chosen.err;
  const Json narrow = Json::Parse(chosen.out);
  EXPECT_EQ(narrow["read_by_one_run_only"].number(), 7);
  EXPECT_EQ(narrow["counts"]["gone"].number(), 0);
  for (const char* bad : {"yesterday", "2026-13-01", "0", "2026-02-30"}) {
    EXPECT_EQ(Run({"--since", bad}).status, 64) << bad;
  }
}

// A date takes its whole day in UTC, a time its whole minute or second.
TEST(SinceChoiceTest, AMomentTakesTheWholeUnitItIsGivenTo) {
  auto at = [](const char* iso) {
    TimePoint when;
    EXPECT_TRUE(ParseIsoTime(iso, &when)) << iso;
    return when;
  };
  std::vector<KeptRun> runs(3);
  runs[0].id = 7, runs[0].started = at("2026-12-09T05:41:59.999Z");
  runs[1].id = 8, runs[1].started = at("2026-12-09T23:59:59.999Z");
  runs[2].id = 9, runs[2].started = at("2026-12-10T00:00:00.000Z");
  RunRecord now;
  now.started = at("2026-12-11T00:00:00.000Z");
  struct Case {
    const char* since;
    int64_t found;  // 0: none
  };
  for (const Case& c : {Case{"2026-12-09", 8}, Case{"2026-12-09T05:41Z", 7},
                        Case{"2026-12-09T05:41:59", 7}, Case{"2026-12-09T05:40", 0},
                        Case{"2026-12-09T23:59:59.998", 7}, Case{"last", 9},
                        Case{"8", 8}, Case{"10", 0}}) {
    Since since;
    ASSERT_TRUE(ParseSince(c.since, &since)) << c.since;
    KeptRun found;
    std::string why;
    EXPECT_EQ(FindEarlier(runs, now, since, &found, &why), c.found != 0) << c.since;
    if (c.found != 0) {
      EXPECT_EQ(found.id, c.found) << c.since;
    }
  }
  now.started = runs[2].started;  // this run is run 9: nothing after it counts
  Since nine;
  ASSERT_TRUE(ParseSince("9", &nine));
  KeptRun found;
  std::string why;
  EXPECT_FALSE(FindEarlier(runs, now, nine, &found, &why));
  EXPECT_NE(why.find("not earlier"), std::string::npos);
}

}  // namespace
}  // namespace tce
