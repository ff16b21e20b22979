// The compression plan: its rule at the edges, and its savings against the
// runs of each method alone.
#include "model/plan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/number_text.h"
#include "model/figures.h"
#include "model/grid_columns.h"
#include "output/results_output.h"
#include "support/app_fixture.h"
#include "support/test_server.h"

namespace tce {
namespace {

using ::tce::testing::AppFixture;
using ::tce::testing::TestServer;

// A table of 100 pages of 8 kB whose rows save `row` and `page` percent.
TableRecord Table(double row, double page, double rows = 1000) {
  TableRecord t;
  t.row_count = Fixed4::FromDouble(rows);
  t.pages_used = Fixed4::FromInt(100);
  t.page_size = 8192;
  t.row_length = Fixed4::FromInt(100);
  t.compressed_length.row = Fixed4::FromDouble(100 - row);
  t.compressed_length.page = Fixed4::FromDouble(100 - page);
  return t;
}

TEST(PlanRuleTest, TheRuleAtItsEdges) {
  const PlanRule rule{10, 20};
  // Page exactly the margin above row is page; a point less is row.
  EXPECT_EQ(PlanFor(Table(30, 40), rule).recommendation, Recommendation::kPage);
  EXPECT_EQ(PlanFor(Table(30, 39.9), rule).recommendation,
            Recommendation::kRow);  // 39 shown: 9 points above
  // A saving exactly at the threshold is recommended; one under it is not.
  EXPECT_EQ(PlanFor(Table(20, 5), rule).recommendation, Recommendation::kRow);
  EXPECT_EQ(PlanFor(Table(19.99, 5), rule).recommendation,
            Recommendation::kLeave);
  EXPECT_EQ(PlanFor(Table(5, 20), {15, 20}).recommendation,
            Recommendation::kPage);
  // Without statistics, whatever it would save, never.
  EXPECT_EQ(PlanFor(Table(80, 80, 0), rule).recommendation,
            Recommendation::kNoStatistics);
  // What a recommended table saves: its size less its compressed size.
  const PlanLine line = PlanFor(Table(25, 40), rule);
  EXPECT_DOUBLE_EQ(line.saved_bytes, 100 * 8192 * 0.40);
  EXPECT_EQ(PlanFor(Table(10, 12), rule).saved_bytes, 0);
}

TEST(PlanTest, TotalsFollowTheRuleAndTheOrderTheColumns) {
  auto record = std::make_shared<RunRecord>();
  record->tables = {Table(30, 40), Table(50, 45), Table(10, 5),
                    Table(60, 60, -1)};
  Plan plan(record);
  EXPECT_EQ(plan.totals()[0].tables, 1);  // page
  EXPECT_EQ(plan.totals()[1].tables, 1);  // row
  EXPECT_EQ(plan.totals()[2].tables, 1);  // leave as is
  EXPECT_EQ(plan.totals()[3].tables, 1);  // no statistics
  EXPECT_DOUBLE_EQ(plan.totals()[1].after_bytes, 100 * 8192 * 0.5);
  plan.SortBy(kPlanSavedCol);
  EXPECT_EQ(plan.Line(0).recommendation, Recommendation::kRow);
  // A stricter threshold leaves more as they are, and the order follows.
  plan.Apply({10, 45});
  EXPECT_EQ(plan.totals()[2].tables, 2);
  EXPECT_EQ(plan.Line(0).recommendation, Recommendation::kRow);
  EXPECT_EQ(plan.Line(3).recommendation, Recommendation::kNoStatistics);
}

// For every table, the plan's row and page savings are the "%Saved" of a
// run with row compression and of a run with page compression.
class PlanAgainstRunsTest : public ::testing::TestWithParam<bool> {};

// The window's delimited export says the rule its lines follow, first;
// JSON says it in its "plan" member.
TEST(PlanTest, TheExportSaysItsRule) {
  auto record = std::make_shared<RunRecord>();
  record->tables = {Table(30, 40)};
  const Plan plan(record, {5, 30});
  StringSink tab, json;
  WritePlanDocument(*ResultWriter::Make(ExportFormat::kTab, tab), plan);
  EXPECT_EQ(tab.text.substr(0, tab.text.find("\r\n")),
            "Plan: page only with 5 points more than row, from a saving of 30 %");
  EXPECT_EQ(tab.text.find("Schema\t", 1), tab.text.find("\r\n") + 2);
  WritePlanDocument(*ResultWriter::Make(ExportFormat::kJson, json), plan);
  EXPECT_NE(json.text.find("\"plan\": {\"margin\": 5, \"threshold\": 30}"),
            std::string::npos) << json.text.substr(0, 300);
}

TEST_P(PlanAgainstRunsTest, SavingsAreThoseOfEachMethodsOwnRun) {
  AppFixture fixture;
  TestServer server;
  std::string database = "demo";
  if (!GetParam()) {
    std::mt19937 random(7);
    auto& db = server.Database("gen");
    const int codes[] = {0, 1, 2, 5, 7, 10, 13, 17, 40, 52};
    for (int t = 0; t < 300; ++t) {
      const long long rows = random() % 3 == 0 ? 0 : random() % 5000000;
      const int id = db.AddTable("o" + std::to_string(t % 4),
                                 "t" + std::to_string(t), random() % 90000,
                                 rows, 2048 << (random() % 3));
      for (int c = 0; c < 1 + static_cast<int>(random() % 14); ++c) {
        const int code = codes[random() % 10];
        db.AddColumn(id, "c" + std::to_string(c), code,
                     code == 5 ? 4098 : code == 10 ? 3594 : 1 + random() % 200);
        if (random() % 2) {
          db.AddDistribution(id, c + 1,
                             "TVD1;s=" + std::to_string(rows / 2 + 1) +
                                 ";d=" + std::to_string(random() % 300) +
                                 ";f1=0");
        }
      }
    }
    server.Finish();
    database = server.DatabasePath("gen");
  }
  ASSERT_TRUE(fixture.Connect(database).ok());
  fixture.app.settings.MinCompressionPct = 35;  // the plan ignores it
  const RunResult both = fixture.RunEstimate();
  const Plan plan(both.record);
  fixture.app.settings.MinCompressionPct = 0;
  for (Method method : kMethods) {
    fixture.app.settings.EstimatePageCompression = method == Method::kPage;
    const RunResult single = fixture.RunEstimate();
    ASSERT_EQ(single.record->listed.size(), plan.record().tables.size());
    for (size_t i = 0; i < single.record->listed.size(); ++i) {
      const TableRecord& table = single.record->Listed(i);
      const std::string shown =
          GridCellText(table, single.record->shown(), kSavedCol);
      EXPECT_EQ(" " + FormatNumber(SavedWholePct(plan.record().tables[i], method)),
                shown)
          << table.owner << "." << table.table << " " << MethodName(method);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Catalogs, PlanAgainstRunsTest,
                         ::testing::Values(true, false),
                         [](const auto& info) {
                           return std::string(info.param ? "Demo" : "Generated");
                         });

}  // namespace
}  // namespace tce
