// tarvex-compest-batch run as a user runs it: a process, its output and its
// exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/text_file.h"
#include "support/app_fixture.h"
#include "support/batch_process.h"
#include "support/test_server.h"

namespace tce {
namespace {

using ::tce::testing::AppFixture;
using ::tce::testing::ProgramDir;
using ::tce::testing::Result;
using ::tce::testing::RunBatchProcess;
using ::tce::testing::ReadFileBytes;
using ::tce::testing::TempDir;
using ::tce::testing::TestServer;
using ::tce::testing::WriteFileBytes;

// What the windows' export writes for the demo catalog with these settings.
std::string WindowsExport(const std::function<void(RunSettings&)>& settings) {
  AppFixture fixture;
  AppState& app = fixture.app;
  EXPECT_TRUE(fixture.Connect("demo").ok());
  settings(app.settings);
  const RunResult result = fixture.RunEstimate();
  EXPECT_EQ(result.outcome, RunOutcome::kListed);
  app.models.results_grid.Show(result.record);
  TempDir dir;
  fixture.desktop.QueueSaveAnswer(dir.File("export.out"));
  ExportResults(app.results_context(), app.models.results_grid,
                SaveDialog::kMain, "demo.out",
                DelimitedFormat(app.settings.TabDelimited));
  return ReadFileBytes(dir.File("export.out"));
}

TEST(BatchTest, WritesWhatTheWindowsExportWrites) {
  struct Case {
    std::vector<std::string> args;
    std::function<void(RunSettings&)> settings;
  };
  const std::vector<Case> cases = {
      {{}, [](RunSettings&) {}},
      {{"--min-compression", "50"},
       [](RunSettings& s) { s.MinCompressionPct = 50; }},
      {{"--min-size", "100"}, [](RunSettings& s) { s.MinTableSizeMB = 100; }},
      {{"--ignore-no-stats"},
       [](RunSettings& s) { s.IgnoreTablesWithoutStats = true; }},
      {{"--column-cardinality"},
       [](RunSettings& s) { s.UseMaxCardinality = false; }},
      {{"--row", "--bytes"},
       [](RunSettings& s) {
         s.EstimatePageCompression = false;
         s.ShowPageSavings = false;
       }},
      {{"--comma", "--owners", "hr,fin%", "--tables", "pay%, account ,budget%"},
       [](RunSettings& s) {
         s.TabDelimited = false;
         s.OwnerFilter = "hr,fin%";
         s.TableFilter = "pay%,account,budget%";
       }},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--database", "demo"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Result result = RunBatchProcess(args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, WindowsExport(c.settings))
        << ::testing::PrintToString(c.args);
  }
}

TEST(BatchTest, TheOptionsChangeTheListing) {
  const Result all = RunBatchProcess({"--database", "demo"});
  const Result half =
      RunBatchProcess({"--database", "demo", "--min-compression", "50"});
  EXPECT_LT(half.out.size(), all.out.size());
  const Result stats =
      RunBatchProcess({"--database", "demo", "--ignore-no-stats"});
  EXPECT_EQ(stats.out.find("\tquote\t"), std::string::npos);
  EXPECT_NE(all.out.find("\tquote\t"), std::string::npos);
  const Result bytes =
      RunBatchProcess({"--database", "demo", "--bytes", "--comma"});
  EXPECT_EQ(bytes.out.rfind(
                "Schema,Table,Count,Size(K),Comp(K),%Saved,Page Size\r\n", 0),
            0u);
}

TEST(BatchTest, ColumnsFollowTheTables) {
  const Result result =
      RunBatchProcess({"--database", "demo", "--tables",
                       "currency,uom_conversion", "--columns"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out,
            "Schema\tTable\tCount\tPages\tComp Pages\t%Saved\tPage Size\r\n"
            "finance\tcurrency\t6\t1\t1\t43\t2048\r\n"
            "inventory\tuom_conversion\t7\t1\t1\t5\t2048\r\n"
            "Schema\tTable\tColumn\tType\tBytes\t%Saved\tStatistics\r\n"
            "finance\tcurrency\tcurrency_code\tCHAR\t3\t0\tfull\r\n"
            "finance\tcurrency\tname\tVARCHAR\t30\t51\tfull\r\n"
            "finance\tcurrency\tdecimals\tSMALLINT\t2\t0\tfull\r\n"
            "inventory\tuom_conversion\tfrom_unit\tCHAR\t3\t12\tfull\r\n"
            "inventory\tuom_conversion\tto_unit\tCHAR\t3\t12\tfull\r\n"
            "inventory\tuom_conversion\tfactor\tFLOAT\t8\t0\tfull\r\n");
}

// Accepts exactly the JSON grammar (RFC 8259), nothing more, and keeps the
// decoded text of every string (as UTF-8).
class JsonChecker {
 public:
  explicit JsonChecker(const std::string& text) : text_(text) {}
  bool Valid() {
    Blanks();
    if (!Value()) return false;
    Blanks();
    return at_ == text_.size();
  }
  const std::vector<std::string>& strings() const { return strings_; }

 private:
  void Blanks() {
    while (at_ < text_.size() && std::strchr(" \t\r\n", text_[at_]) &&
           text_[at_] != '\0')
      ++at_;
  }
  bool Eat(char c) {
    Blanks();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool Word(const char* word) {
    const size_t n = std::strlen(word);
    if (text_.compare(at_, n, word) != 0) return false;
    at_ += n;
    return true;
  }
  bool String() {
    if (!Eat('"')) return false;
    std::string decoded;
    while (at_ < text_.size()) {
      const unsigned char c = static_cast<unsigned char>(text_[at_++]);
      if (c == '"') {
        strings_.push_back(decoded);
        return true;
      }
      if (c < 0x20) return false;
      if (c != '\\') {
        decoded += static_cast<char>(c);
        continue;
      }
      if (at_ >= text_.size()) return false;
      const char e = text_[at_++];
      if (e == 'u') {
        if (at_ + 4 > text_.size()) return false;
        for (int i = 0; i < 4; ++i) {
          if (!std::isxdigit(static_cast<unsigned char>(text_[at_ + i])))
            return false;
        }
        const unsigned code = std::stoul(text_.substr(at_, 4), nullptr, 16);
        at_ += 4;
        if (code < 0x80) {
          decoded += static_cast<char>(code);
        } else if (code < 0x800) {
          decoded += static_cast<char>(0xC0 | (code >> 6));
          decoded += static_cast<char>(0x80 | (code & 0x3F));
        } else {
          decoded += static_cast<char>(0xE0 | (code >> 12));
          decoded += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
          decoded += static_cast<char>(0x80 | (code & 0x3F));
        }
      } else if (const char* known = std::strchr("\"\\/bfnrt", e);
                 known != nullptr && e != '\0') {
        decoded += "\"\\/\b\f\n\r\t"[known - "\"\\/bfnrt"];
      } else {
        return false;
      }
    }
    return false;
  }
  bool Number() {
    const size_t start = at_;
    if (at_ < text_.size() && text_[at_] == '-') ++at_;
    auto digits = [&] {
      const size_t from = at_;
      while (at_ < text_.size() && std::isdigit(text_[at_])) ++at_;
      return at_ > from;
    };
    if (!digits()) return false;
    if (text_[start + (text_[start] == '-')] == '0' &&
        at_ - start > 1u + (text_[start] == '-'))
      return false;
    if (at_ < text_.size() && text_[at_] == '.' && (++at_, !digits()))
      return false;
    if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
      ++at_;
      if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
      if (!digits()) return false;
    }
    return true;
  }
  bool Value() {
    Blanks();
    if (at_ >= text_.size()) return false;
    const char c = text_[at_];
    if (c == '{') {
      ++at_;
      if (Eat('}')) return true;
      do {
        Blanks();
        if (!String() || !Eat(':') || !Value()) return false;
      } while (Eat(','));
      return Eat('}');
    }
    if (c == '[') {
      ++at_;
      if (Eat(']')) return true;
      do {
        if (!Value()) return false;
      } while (Eat(','));
      return Eat(']');
    }
    if (c == '"') return String();
    if (c == 't') return Word("true");
    if (c == 'f') return Word("false");
    if (c == 'n') return Word("null");
    return Number();
  }

  const std::string& text_;
  size_t at_ = 0;
  std::vector<std::string> strings_;
};

TEST(BatchTest, JsonCarriesTheSameContent) {
  const Result result = RunBatchProcess({"--database", "demo", "--tables",
                                         "currency,quote,stock_snapshot",
                                         "--columns", "--json", "--summary"});
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(JsonChecker(result.out).Valid()) << result.out;
  for (const char* bad :
       {"{\"a\": 01}", "[1,]", "{\"a\" 1}", "\"\t\"", "nul"}) {
    const std::string text = bad;
    EXPECT_FALSE(JsonChecker(text).Valid()) << bad;
  }
  EXPECT_NE(result.out.find("\"database\": \"demo\""), std::string::npos);
  EXPECT_NE(
      result.out.find(
          "{\"owner\": \"finance\", \"table\": \"currency\", \"count\": 6, "
          "\"size\": 1, \"compressed\": 1, \"saved_pct\": 43, "
          "\"page_size\": 2048, \"statistics\": {\"columns\": 3, \"full\": 3, "
          "\"sampled\": 0, \"none\": 0}}"),
      std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("\"table\": \"quote\", \"count\": 0, \"size\": 0, "
                            "\"compressed\": 0, \"saved_pct\": 50, "
                            "\"page_size\": 4096, \"statistics\": {\"none\": "
                            "true}}"),
            std::string::npos);
  EXPECT_NE(result.out.find(
                "\"column\": \"name\", \"type\": \"VARCHAR\", \"bytes\": 30, "
                "\"saved_pct\": 51, \"basis\": \"full\"}"),
            std::string::npos);
  EXPECT_NE(result.out.find("\"basis\": \"sampled\", \"sample\": 40000, "
                            "\"rows\": 1732032}"),
            std::string::npos);
  EXPECT_NE(result.out.find("\"totals\": {\"tables\": 3, "), std::string::npos);
  EXPECT_EQ(result.out.back(), '\n');
  EXPECT_NE(result.err.find("3 tables listed: "), std::string::npos)
      << result.err;
  // Hostile names stay inside their strings, and decode to the catalog's
  // names: UTF-8 whole, a byte that is not UTF-8 as U+FFFD.
  TestServer server;
  auto& db = server.Database("odd");
  const std::vector<std::string> names = {
      "o\"w\\n\x01", "caf\xc3\xa9_cr\xc3\xa8me", "\xe2\x82\xac\\"};
  db.AddColumn(db.AddTable(names[0], names[1], 1, 1, 2048), "c\"\nd", 0, 10);
  db.AddColumn(db.AddTable(names[2], "t\tab\xe9\"", 1, 1, 2048), "c", 0, 10);
  server.Finish();
  const Result odd = RunBatchProcess(
      {"--database", server.DatabasePath("odd"), "--columns", "--json"});
  EXPECT_EQ(odd.status, 0) << odd.err;
  JsonChecker json(odd.out);
  ASSERT_TRUE(json.Valid()) << odd.out;
  for (const std::string& name : names) {
    EXPECT_NE(std::find(json.strings().begin(), json.strings().end(), name),
              json.strings().end())
        << name;
  }
  EXPECT_NE(std::find(json.strings().begin(), json.strings().end(),
                      "t\tab\xef\xbf\xbd\""),
            json.strings().end());
  // A line feed is fetched as CR LF, as every fetched value's is.
  EXPECT_NE(std::find(json.strings().begin(), json.strings().end(),
                      "c\"\r\nd"),
            json.strings().end());
}

// The plan: every table read (the minimum saving does not apply), with both
// methods' figures, the recommendation and what it saves.
TEST(BatchTest, ThePlanCarriesBothMethodsAndTheRecommendation) {
  const Result json = RunBatchProcess({"--database", "demo", "--plan", "--json",
                                       "--min-compression", "90", "--tables",
                                       "currency,quote,exchange_feed"});
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_TRUE(JsonChecker(json.out).Valid()) << json.out;
  EXPECT_NE(json.out.find(
                "{\"owner\": \"finance\", \"table\": \"currency\", "
                "\"count\": 6, \"pages\": 1, \"page_size\": 2048, "
                "\"size_bytes\": 2048, \"row_compressed_bytes\": 1083, "
                "\"page_compressed_bytes\": 1153, \"row_saved_pct\": 47, "
                "\"page_saved_pct\": 43, \"recommendation\": \"row\", "
                "\"saved_bytes\": 965}"),
            std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("\"recommendation\": \"no statistics\""),
            std::string::npos);
  EXPECT_NE(json.out.find("\"recommendation\": \"leave as is\""),
            std::string::npos);
  const Result lines = RunBatchProcess(
      {"--database", "demo", "--plan", "--comma", "--plan-threshold", "50",
       "--tables", "currency", "--summary"});
  ASSERT_EQ(lines.status, 0) << lines.err;
  EXPECT_EQ(lines.out,
            "Schema,Table,Count,Pages,Page Size,Size (bytes),Row Compressed "
            "(bytes),Page Compressed (bytes),Row %Saved,Page %Saved,"
            "Recommendation,Saved (bytes)\r\n"
            "finance,currency,6,1,2048,2048,1083,1153,47,43,leave as is,0\r\n");
  EXPECT_NE(lines.err.find("leave as is: 1 table, 2.0 kB now"),
            std::string::npos)
      << lines.err;
  EXPECT_EQ(RunBatchProcess({"--database", "demo", "--plan", "--columns"}).status,
            64);
  EXPECT_EQ(
      RunBatchProcess({"--database", "demo", "--plan-margin", "101"}).status,
      64);
}

TEST(BatchTest, ExitStatuses) {
  Result result = RunBatchProcess({"--database", "demo", "--tables", "nosuch"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(
      result.err.find("No tables or schemas found meeting your criteria."),
      std::string::npos);
  result = RunBatchProcess({"--database", "nosuchdb"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("Connection failed."), std::string::npos);
  EXPECT_NE(result.err.find("SQL Error: Database nosuchdb does not exist"),
            std::string::npos);
  // A server without its system-master file cannot be used.
  TestServer server;
  auto& db = server.Database("broken");
  db.AddColumn(db.AddTable("o", "t", 1, 1, 2048), "c", 0, 10);
  server.Finish();
  std::filesystem::remove(server.dir().File("sysmaster.db"));
  result = RunBatchProcess({"--database", server.DatabasePath("broken")});
  EXPECT_EQ(result.status, 2) << result.err;
  EXPECT_NE(result.err.find("sysmaster.db cannot be used"), std::string::npos)
      << result.err;
  for (const auto& args : std::vector<std::vector<std::string>>{
           {},
           {"--database"},
           {"--database", "demo", "--bogus"},
           {"--database", "demo", "--password", "x"},
           {"--database", "demo", "--min-compression", "101"},
           {"--database", "demo", "--min-size", "ten"}}) {
    result = RunBatchProcess(args);
    EXPECT_EQ(result.status, 64) << ::testing::PrintToString(args);
    EXPECT_NE(result.err.find("usage: tarvex-compest-batch"),
              std::string::npos);
  }
}

TEST(BatchTest, AFailedRunWritesNothingAndExitsThree) {
  TestServer server;
  auto& db = server.Database("broken");
  for (const char* name : {"a", "b", "c", "d"}) {
    db.AddColumn(db.AddTable("o", name, 1, 1, 2048), "c", 0, 10);
  }
  // The third table's column rows fail when they are read.
  db.Execute(
      "ALTER TABLE syscolumns RENAME TO real_syscolumns;"
      "CREATE VIEW syscolumns AS SELECT tabid, colno, colname, coltype, "
      "CASE WHEN tabid = 3 THEN abs(-9223372036854775808) ELSE collength END "
      "AS collength FROM real_syscolumns;");
  server.Finish();
  TempDir dir;
  WriteFileBytes(dir.File("out.txt"), "yesterday's estimate\r\n");
  for (const std::vector<std::string>& extra :
       std::vector<std::vector<std::string>>{
           {}, {"--columns"}, {"--json", "--columns"}}) {
    std::vector<std::string> args = {"--database",
                                     server.DatabasePath("broken")};
    args.insert(args.end(), extra.begin(), extra.end());
    Result result = RunBatchProcess(args);
    EXPECT_EQ(result.status, 3) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("SQL Error: "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("overflow"), std::string::npos);
    args.insert(args.end(), {"--output", dir.File("out.txt")});
    result = RunBatchProcess(args);
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(ReadFileBytes(dir.File("out.txt")), "yesterday's estimate\r\n");
  }
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace tce
