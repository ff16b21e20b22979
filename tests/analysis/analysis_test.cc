// The analysis run through the embedded driver on catalogs the tests build.
#include "analysis/analysis.h"

#include <gtest/gtest.h>

#include "model/figures.h"

#include <algorithm>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "support/app_fixture.h"
#include "support/printers.h"
#include "support/test_server.h"

namespace tce {
namespace {

using ::tce::testing::AppFixture;
using ::tce::testing::Row;
using ::tce::testing::TestServer;

// Type codes of the columns the tests use.
constexpr int kChar = 0, kInteger = 2;

// Records what the run reports, and stops it when asked to.
class RecordingProgress : public RunProgress {
 public:
  void Update(int tick, int listed) override {
    updates.push_back({tick, listed});
  }
  bool StopRequested() override { return ++fetches > stop_after; }

  std::vector<std::pair<int, int>> updates;
  int fetches = 0;
  int stop_after = 1 << 30;
};

// Keeps each listed table's column count; can refuse a table.
class RecordingSink : public TableSink {
 public:
  Status OnTable(const RunRecord&, const TableRecord& table, bool listed,
                 const EstimateContext& estimate) override {
    if (!listed) return Status();
    column_counts.push_back(estimate.TableColumns.ColumnCount());
    if (table.table == refuse) return Status::Failure("disk full");
    return Status();
  }
  std::vector<int> column_counts;
  std::string refuse;
};

class AnalysisTest : public ::testing::Test, public AppFixture {
 protected:
  // Finishes the catalog and connects to it.
  void Connect() {
    server_.Finish();
    const Status status = AppFixture::Connect(server_.DatabasePath("shop"));
    ASSERT_TRUE(status.ok()) << status.ToString();
  }
  tvcli::DatabaseBuilder& Db() { return *db_; }
  // A table of one CHAR(10) column: saves 29 % (page) or 40 % (row).
  void Char10Table(const std::string& owner, const std::string& name,
                   long long pages, long long rows) {
    const int t = Db().AddTable(owner, name, pages, rows, 2048);
    Db().AddColumn(t, "c", kChar, 10);
  }
  // The worked example: INTEGER of 5 distinct values and CHAR(10): 20.7143 %.
  void WorkedExampleTable(const std::string& owner, const std::string& name,
                          long long pages, long long rows) {
    const int t = Db().AddTable(owner, name, pages, rows, 2048);
    const int id = Db().AddColumn(t, "id", kInteger, 4);
    Db().AddDistribution(t, id, "TVD1;s=" + std::to_string(rows) + ";d=5;f1=0");
    Db().AddColumn(t, "c", kChar, 10);
  }
  std::vector<Row> Listed(const RunResult& result) const {
    return Cells(*result.record);
  }
  // Makes the catalog's column rows of table `tabid` fail when read.
  void BreakTable(int tabid) {
    Db().Execute(
        "ALTER TABLE syscolumns RENAME TO real_syscolumns;"
        "CREATE VIEW syscolumns AS SELECT tabid, colno, colname, coltype, "
        "CASE WHEN tabid = " +
        std::to_string(tabid) +
        " THEN abs(-9223372036854775808) ELSE collength END "
        "AS collength FROM real_syscolumns;");
  }

  TestServer server_;
  tvcli::DatabaseBuilder* db_ = &server_.Database("shop");
};

TEST_F(AnalysisTest, NoRowsListsNothing) {
  Char10Table("o", "t", 10, 100);
  Connect();
  app.settings.TableFilter = "nosuch";
  const RunResult result = RunEstimate();
  EXPECT_EQ(result.outcome, RunOutcome::kNothingListed);
  EXPECT_TRUE(result.status.ok());
  EXPECT_TRUE(ListedTables(*result.record).empty());
  EXPECT_TRUE(result.record->complete);
}

TEST_F(AnalysisTest, OneTableOfThreeColumnsIsComputedOnceAfterItsLastRow) {
  const int t = Db().AddTable("acct", "orders", 100, 5000, 4096);
  Db().AddColumn(t, "a", kChar, 10);
  Db().AddColumn(t, "b", kChar, 10);
  Db().AddColumn(t, "c", kChar, 10);
  Connect();
  app.settings.DebugLog = true;
  RecordingSink sink;
  const RunResult result = RunEstimate(nullptr, &sink);
  ASSERT_EQ(result.outcome, RunOutcome::kListed);
  EXPECT_EQ(sink.column_counts, std::vector<int>{3});
  // CHAR [n=3][s=10] = 64 %.
  EXPECT_EQ(Listed(result),
            (std::vector<Row>{
                {"acct", "orders", " 5000", " 100", " 36", " 64", " 4096"}}));
  const std::string log = LogText();
  EXPECT_NE(log.find("Query              Reading result set\r\n"),
            std::string::npos);
  EXPECT_NE(
      log.find(
          "-------            \r\nCompute            Calculating compression "
          "on Owner=acct Table=orders\r\n"),
      std::string::npos);
  size_t computes = 0;
  for (size_t at = log.find("Compression="); at != std::string::npos;
       at = log.find("Compression=", at + 1)) {
    ++computes;
  }
  EXPECT_EQ(computes, 1u);
}

TEST_F(AnalysisTest, OwnersAndCaseSeparateTables) {
  Char10Table("b", "same", 10, 10);
  Char10Table("a", "same", 10, 10);
  Char10Table("a", "Same", 10, 10);
  Connect();
  const RunResult result = RunEstimate();
  ASSERT_EQ(ListedTables(*result.record).size(), 3u);
  std::vector<std::string> names;
  for (const TableRecord& t : ListedTables(*result.record))
    names.push_back(t.owner + "." + t.table);
  EXPECT_EQ(names, (std::vector<std::string>{"a.Same", "a.same", "b.same"}));
}

// A filter of ten thousand names, which a real server takes, gives the
// tables the same filter gives run in pieces.
TEST_F(AnalysisTest, AFilterOfTenThousandNamesWorks) {
  for (int i = 0; i < 40; ++i) {
    Char10Table(i % 2 ? "a" : "b", "t" + std::to_string(i * 250), 10, 100);
  }
  Connect();
  std::string all, first, second;
  for (int i = 0; i < 10000; ++i) {
    std::string& half = i < 5000 ? first : second;
    for (std::string* list : {&all, &half}) {
      if (!list->empty()) *list += ",";
      *list += "t" + std::to_string(i);
    }
  }
  app.settings.TableFilter = all;
  app.settings.OwnerFilter = "a,b%";
  const RunResult whole = RunEstimate();
  ASSERT_EQ(whole.outcome, RunOutcome::kListed) << whole.status.ToString();
  app.settings.TableFilter = first;
  std::vector<Row> pieces = Listed(RunEstimate());
  app.settings.TableFilter = second;
  for (const Row& row : Listed(RunEstimate())) pieces.push_back(row);
  std::sort(pieces.begin(), pieces.end());
  std::vector<Row> rows = Listed(whole);
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows.size(), 40u);
  EXPECT_EQ(rows, pieces);
}

TEST_F(AnalysisTest, TablesWithoutAnOwnerAreListedToo) {
  const int empty = Db().AddTable("", "nameless", 10, 10, 2048);
  Db().AddColumn(empty, "c", kChar, 10);
  // A NULL owner arrives as empty text as well.
  const int other = Db().AddTable("", "other", 10, 10, 2048);
  Db().AddColumn(other, "c", kChar, 10);
  Char10Table("o", "t", 10, 10);
  Connect();
  const RunResult result = RunEstimate();
  ASSERT_EQ(ListedTables(*result.record).size(), 3u);
  EXPECT_EQ(ListedTables(*result.record)[0].owner, "");
  EXPECT_EQ(ListedTables(*result.record)[1].owner, "");
  EXPECT_EQ(ListedTables(*result.record)[2].table, "t");
}

TEST_F(AnalysisTest, NamesAreKeptWhateverTheyHold) {
  Char10Table("o\twith tab", "a,b\"c\nd", 10, 10);
  Connect();
  const RunResult result = RunEstimate();
  ASSERT_EQ(ListedTables(*result.record).size(), 1u);
  EXPECT_EQ(ListedTables(*result.record)[0].owner, "o\twith tab");
  // The driver hands a line feed over as CR LF.
  EXPECT_EQ(ListedTables(*result.record)[0].table, "a,b\"c\r\nd");
}

TEST_F(AnalysisTest, TheMinimumCompressionKeepsTablesAtItAndDropsThoseBelow) {
  Char10Table("o", "at29", 10, 10);          // 29 %
  WorkedExampleTable("o", "below", 10, 10);  // 20.7143 %
  Connect();
  app.settings.MinCompressionPct = 29;
  RunResult result = RunEstimate();
  ASSERT_EQ(ListedTables(*result.record).size(), 1u);
  EXPECT_EQ(ListedTables(*result.record)[0].table, "at29");
  app.settings.MinCompressionPct = 30;
  EXPECT_EQ(RunEstimate().outcome, RunOutcome::kNothingListed);
  app.settings.MinCompressionPct = 21;
  EXPECT_EQ(RunEstimate().record->listed.size(), 1u);
}

TEST_F(AnalysisTest, SizesInPagesWithTheZeroToOneRule) {
  Char10Table("o", "big", 1000, 50000);  // 71 % of 1000 pages remain
  Char10Table("o", "tiny", 1, 3);        // floor(0.71) = 0 shows as 1
  Char10Table("o", "empty", 0, 3);       // no pages: stays 0
  Connect();
  const RunResult result = RunEstimate();
  EXPECT_EQ(result.record->shown().unit, SizeUnit::kPages);
  EXPECT_EQ(
      Listed(result),
      (std::vector<Row>{{"o", "big", " 50000", " 1000", " 710", " 29", " 2048"},
                        {"o", "empty", " 3", " 0", " 0", " 29", " 2048"},
                        {"o", "tiny", " 3", " 1", " 1", " 29", " 2048"}}));
}

TEST_F(AnalysisTest, SizesInKilobytesFromTheRowLengths) {
  WorkedExampleTable("o", "t", 100, 10240);  // 14 and 11.1 bytes a row
  Connect();
  app.settings.ShowPageSavings = false;
  const RunResult result = RunEstimate();
  EXPECT_EQ(result.record->shown().unit, SizeUnit::kKilobytes);
  EXPECT_EQ(
      Listed(result),
      (std::vector<Row>{{"o", "t", " 10240", " 140", " 111", " 20", " 2048"}}));
}

TEST_F(AnalysisTest, TablesWithoutStatisticsShowNoSize) {
  Char10Table("o", "negative", 50, -1);
  Char10Table("o", "zero", 50, 0);
  Connect();
  for (bool pages : {true, false}) {
    app.settings.ShowPageSavings = pages;
    EXPECT_EQ(
        Listed(RunEstimate()),
        (std::vector<Row>{{"o", "negative", "-1", " 0", " 0", " 29", " 2048"},
                          {"o", "zero", " 0", " 0", " 0", " 29", " 2048"}}));
  }
  app.settings.IgnoreTablesWithoutStats = true;
  EXPECT_EQ(RunEstimate().outcome, RunOutcome::kNothingListed);
}

TEST_F(AnalysisTest, CatalogValuesThatCannotBeRealAreMadeHarmless) {
  // CHAR(-8) beside CHAR(10): the impossible column counts as 0 bytes.
  const int lengths = Db().AddTable("o", "lengths", 10, 100, 2048);
  Db().AddColumn(lengths, "bad", kChar, -8);
  Db().AddColumn(lengths, "good", kChar, 10);
  Char10Table("o", "negative_pages", -100, 5000);
  Char10Table("o", "huge_rows", 10, 0);
  Db().Execute("UPDATE systables SET nrows = 1e16 WHERE tabname = 'huge_rows'");
  const int big_page = Db().AddTable("o", "page_70000", 10, 100, 70000);
  Db().AddColumn(big_page, "c", kChar, 10);
  const int tiny_page = Db().AddTable("o", "page_256", 10, 100, 256);
  Db().AddColumn(tiny_page, "c", kChar, 10);
  const int large_page = Db().AddTable("o", "page_65536", 10, 100, 65536);
  Db().AddColumn(large_page, "c", kChar, 10);
  Connect();
  app.settings.DebugLog = true;
  const RunResult result = RunEstimate();
  std::map<std::string, Row> rows;
  for (const TableRecord& t : ListedTables(*result.record))
    rows[t.table] = Cells(t, result.record->shown());
  // CHAR(10) alone at n = 2: saves what CHAR [2][10] gives.
  EXPECT_EQ(rows["lengths"][3], " 10");
  EXPECT_GE(std::stod(rows["lengths"][5]), 0);
  EXPECT_LE(std::stod(rows["lengths"][5]), 100);
  // No statistics: no sizes.
  EXPECT_EQ(rows["negative_pages"],
            (Row{"o", "negative_pages", " 0", " 0", " 0", " 29", " 2048"}));
  EXPECT_EQ(rows["page_70000"][2], " 0");
  EXPECT_EQ(rows["page_70000"][6], " 0");  // not the value that cannot be
  EXPECT_EQ(rows["page_256"][3], " 0");
  // 65536 is a page size a server may have, shown as it is.
  EXPECT_EQ(rows["page_65536"],
            (Row{"o", "page_65536", " 100", " 10", " 7", " 29", " 65536"}));
  // A row count above a million million cannot be real either: no held
  // value is shown, and the table has no statistics.
  EXPECT_EQ(rows["huge_rows"],
            (Row{"o", "huge_rows", " 0", " 0", " 0", " 29", " 2048"}));
  const std::string log = LogText();
  EXPECT_NE(log.find("Column bad: length -8 cannot be real"),
            std::string::npos);
  EXPECT_NE(log.find("Table o.negative_pages: pages used -100 cannot be real"),
            std::string::npos);
  EXPECT_NE(log.find("Table o.page_256: page size 256 cannot be real"),
            std::string::npos);
  EXPECT_NE(log.find("Table o.huge_rows: row count 10000000000000000 cannot"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Row count 10000000000000000 is beyond"),
            std::string::npos)
      << log;
}

TEST_F(AnalysisTest, RandomAbsurdCatalogsGiveSavingsBetweenNothingAndAll) {
  std::mt19937 random(11);
  const int codes[] = {0, 1, 2, 3, 5, 7, 8, 10, 13, 14, 16, 19, 40, 52, 77};
  const long long extremes[] = {-1LL << 40, -32768, -1,    0,     1,
                                3,          255,    32767, 65535, 1LL << 40};
  for (int t = 0; t < 150; ++t) {
    auto pick = [&] { return extremes[random() % std::size(extremes)]; };
    const int tabid = Db().AddTable("o", "t" + std::to_string(t), pick(),
                                    pick(), static_cast<int>(pick() % 70000));
    const int columns = 1 + static_cast<int>(random() % 14);
    for (int c = 0; c < columns; ++c) {
      const int colno = Db().AddColumn(tabid, "c" + std::to_string(c),
                                       codes[random() % std::size(codes)],
                                       static_cast<int>(pick() % 70000));
      if (random() % 2) {
        Db().AddDistribution(tabid, colno,
                             "TVD1;s=" + std::to_string(random() % 1000) +
                                 ";d=" + std::to_string(random() % 100) +
                                 ";f1=" + std::to_string(random() % 50));
      }
    }
  }
  Connect();
  for (bool pages : {true, false}) {
    app.settings.ShowPageSavings = pages;
    const RunResult result = RunEstimate();
    ASSERT_EQ(ListedTables(*result.record).size(), 150u);
    const Shown shown = result.record->shown();
    for (const TableRecord& table : ListedTables(*result.record)) {
      for (Method m : kMethods) {
        EXPECT_GE(SavedPct(table, m), Fixed4()) << table.table;
        EXPECT_LE(SavedPct(table, m), Fixed4::FromInt(100)) << table.table;
      }
      const double size = ShownSize(table, shown.unit);
      const double compressed = ShownCompressed(table, shown);
      EXPECT_GE(size, 0) << table.table;
      EXPECT_GE(compressed, 0) << table.table;
      EXPECT_LE(compressed, size) << table.table;
    }
  }
}

TEST(SavingClassTest, Thresholds) {
  EXPECT_EQ(SavingClassOf(Fixed4::FromDouble(19.99)), SavingClass::kLow);
  EXPECT_EQ(SavingClassOf(Fixed4::FromDouble(20)), SavingClass::kMedium);
  EXPECT_EQ(SavingClassOf(Fixed4::FromDouble(49.99)), SavingClass::kMedium);
  EXPECT_EQ(SavingClassOf(Fixed4::FromDouble(50)), SavingClass::kHigh);
  EXPECT_EQ(SavingClassOf(Fixed4::FromDouble(-5)), SavingClass::kLow);
}

TEST_F(AnalysisTest, ProgressTicksWhileTheListedCountIsAMultipleOfTen) {
  for (int i = 0; i < 25; ++i)
    Char10Table("o", "t" + std::to_string(100 + i), 10, 10);
  Connect();
  RecordingProgress progress;
  ASSERT_EQ(RunEstimate(&progress).outcome, RunOutcome::kListed);
  ASSERT_FALSE(progress.updates.empty());
  EXPECT_EQ(progress.updates.front(), std::make_pair(1, 0));
  std::vector<int> listed;
  for (const auto& update : progress.updates) listed.push_back(update.second);
  EXPECT_NE(std::find(listed.begin(), listed.end(), 10), listed.end());
  EXPECT_NE(std::find(listed.begin(), listed.end(), 20), listed.end());
  EXPECT_EQ(std::find(listed.begin(), listed.end(), 5), listed.end());
  // One tick per fetch while the count stays on a multiple of ten.
  for (size_t i = 1; i < progress.updates.size(); ++i) {
    EXPECT_EQ(progress.updates[i].first,
              progress.updates[i - 1].first % 100 + 1);
  }
  // The stop question comes before every fetch: 25 rows and the end.
  EXPECT_EQ(progress.fetches, 26);
}

TEST_F(AnalysisTest, AStoppedRunListsNothing) {
  for (int i = 0; i < 5; ++i) Char10Table("o", "t" + std::to_string(i), 10, 10);
  Connect();
  RecordingProgress progress;
  progress.stop_after = 3;
  const RunResult result = RunEstimate(&progress);
  EXPECT_EQ(result.outcome, RunOutcome::kStopped);
  EXPECT_TRUE(result.status.ok());
  // The connection is free again.
  EXPECT_EQ(RunEstimate().outcome, RunOutcome::kListed);
}

TEST_F(AnalysisTest, AFetchFailurePartWayFailsTheRun) {
  Char10Table("a", "good", 10, 10);
  Char10Table("b", "alsogood", 10, 10);
  Char10Table("c", "bad", 10, 10);
  Char10Table("d", "after", 10, 10);
  BreakTable(3);
  Connect();
  RecordingSink sink;
  const RunResult result = RunEstimate(nullptr, &sink);
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  EXPECT_EQ(result.status.call(), "SQLFetch");
  EXPECT_NE(result.status.DriverText().find("overflow"), std::string::npos);
  // The tables completed before the failure. "alsogood" is not one of them:
  // the failed row might have been another of its columns.
  EXPECT_FALSE(result.record->complete);
  ASSERT_EQ(ListedTables(*result.record).size(), 1u);
  EXPECT_EQ(ListedTables(*result.record)[0].table, "good");
  EXPECT_EQ(sink.column_counts.size(), 1u);
}

TEST_F(AnalysisTest, AFailureOnTheFirstFetchIsAFailureNotAnEmptyList) {
  Char10Table("a", "bad", 10, 10);
  BreakTable(1);
  Connect();
  const RunResult result = RunEstimate();
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  EXPECT_FALSE(result.status.ok());
  EXPECT_TRUE(ListedTables(*result.record).empty());
}

TEST_F(AnalysisTest, AQueryThatCannotRunFails) {
  Char10Table("o", "t", 10, 10);
  Connect();
  app.settings.DebugLog = true;
  app.connection.PageSizeExpression = "T.NOSUCHCOLUMN";
  const RunResult result = RunEstimate();
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  EXPECT_TRUE(result.status.driver_failure());
  EXPECT_NE(LogText().find("Query              Error retrieving records"),
            std::string::npos);
}

TEST_F(AnalysisTest, WithoutAPageSizeTheRunSaysWhyInsteadOfSendingBadSql) {
  Char10Table("o", "t", 10, 10);
  Connect();
  app.connection.PageSizeExpression = "";
  app.settings.LogSQL = true;
  const RunResult result = RunEstimate();
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  EXPECT_FALSE(result.status.driver_failure());
  ASSERT_EQ(result.status.messages().size(), 1u);
  EXPECT_NE(result.status.messages()[0].find("page size is not known"),
            std::string::npos);
  EXPECT_EQ(LogText().find("SELECT"), std::string::npos);  // nothing sent
}

TEST_F(AnalysisTest, ASinkFailureEndsTheRun) {
  Char10Table("a", "one", 10, 10);
  Char10Table("b", "two", 10, 10);
  Char10Table("c", "three", 10, 10);
  Connect();
  RecordingSink sink;
  sink.refuse = "two";
  const RunResult result = RunEstimate(nullptr, &sink);
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  EXPECT_EQ(result.status.ToString(), "disk full");
  EXPECT_EQ(sink.column_counts.size(), 2u);
  // The statement was closed: the connection runs the next query.
  EXPECT_EQ(RunEstimate().outcome, RunOutcome::kListed);
}

}  // namespace
}  // namespace tce
