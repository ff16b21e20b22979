// Runs made in memory for the history's tests, and a field-by-field
// comparison of records.
#ifndef TCE_TESTS_HISTORY_HISTORY_RECORDS_H_
#define TCE_TESTS_HISTORY_HISTORY_RECORDS_H_

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "model/figures.h"
#include "model/run_record.h"

namespace tce::testing {

inline std::chrono::system_clock::time_point At(int64_t ns) {
  return std::chrono::system_clock::time_point(std::chrono::nanoseconds(ns));
}

// A run of `count` tables of the server `server`, its values varied by
// `seed`, with what a catalog can hold at its edges: a negative row count,
// no statistics, four decimal places, a name that is not ASCII.
inline std::shared_ptr<RunRecord> MakeRun(int count, int seed,
                                          const std::string& server = "srv") {
  auto run = std::make_shared<RunRecord>();
  run->database = "sales";
  run->server = {server, "host-1"};
  run->server_version = "11.70.FC3";
  run->settings.MinCompressionPct = static_cast<int16_t>(seed % 40);
  run->settings.UseMaxCardinality = seed % 2 == 0;
  run->settings.OwnerFilter = "fin%,ops";
  run->started = At(1'700'000'000'123'456'789 + int64_t{seed} * 86'400'000'000'000);
  run->ended = run->started + std::chrono::milliseconds(1500);
  if (seed % 3 == 0) run->plan = PlanRule{5, 30};
  for (int i = 0; i < count; ++i) {
    TableRecord t;
    t.owner = i % 7 == 0 ? "f\xC3\xBCr" : "owner" + std::to_string(i % 5);
    t.table = "t" + std::to_string(i);
    t.row_count = Fixed4::FromRaw(i % 11 == 0 ? -10000 : (i + seed) * 123457LL);
    t.pages_used = Fixed4::FromRaw((i * 7 + seed) * 10000LL + 5);
    t.page_size = i % 2 == 0 ? 2048 : 16384;
    t.row_length = Fixed4::FromRaw(1000000 + i * 13);
    t.compressed_length = {Fixed4::FromRaw(600000 + i), Fixed4::FromRaw(450000 + seed)};
    t.basis = {i % 4, i % 3, i % 2};
    run->tables.push_back(t);
    if (ReachesMinimum(t, run->settings))
      run->listed.push_back(static_cast<int32_t>(i));
  }
  return run;
}

inline void ExpectSameRecord(const RunRecord& a, const RunRecord& b) {
  EXPECT_EQ(a.database, b.database);
  EXPECT_EQ(a.server, b.server);
  EXPECT_EQ(a.server_version, b.server_version);
  EXPECT_EQ(a.started, b.started);
  EXPECT_EQ(a.ended, b.ended);
  EXPECT_EQ(a.plan, b.plan);
  EXPECT_EQ(a.complete, b.complete);
  EXPECT_EQ(a.listed, b.listed);
  const RunSettings &s = a.settings, &t = b.settings;
  EXPECT_EQ(s.MinCompressionPct, t.MinCompressionPct);
  EXPECT_EQ(s.MinTableSizeMB, t.MinTableSizeMB);
  EXPECT_EQ(s.IgnoreTablesWithoutStats, t.IgnoreTablesWithoutStats);
  EXPECT_EQ(s.UseMaxCardinality, t.UseMaxCardinality);
  EXPECT_EQ(s.EstimatePageCompression, t.EstimatePageCompression);
  EXPECT_EQ(s.ShowPageSavings, t.ShowPageSavings);
  EXPECT_EQ(s.TabDelimited, t.TabDelimited);
  EXPECT_EQ(s.OwnerFilter, t.OwnerFilter);
  EXPECT_EQ(s.TableFilter, t.TableFilter);
  ASSERT_EQ(a.tables.size(), b.tables.size());
  for (size_t i = 0; i < a.tables.size(); ++i) {
    const TableRecord &x = a.tables[i], &y = b.tables[i];
    SCOPED_TRACE(x.owner + "." + x.table);
    EXPECT_EQ(x.owner, y.owner);
    EXPECT_EQ(x.table, y.table);
    EXPECT_EQ(x.row_count, y.row_count);
    EXPECT_EQ(x.pages_used, y.pages_used);
    EXPECT_EQ(x.page_size, y.page_size);
    EXPECT_EQ(x.row_length, y.row_length);
    EXPECT_EQ(x.compressed_length.row, y.compressed_length.row);
    EXPECT_EQ(x.compressed_length.page, y.compressed_length.page);
    EXPECT_EQ(x.basis.full, y.basis.full);
    EXPECT_EQ(x.basis.sampled, y.basis.sampled);
    EXPECT_EQ(x.basis.none, y.basis.none);
    for (Method m : {Method::kRow, Method::kPage}) {
      EXPECT_EQ(SavedBytes(x, m), SavedBytes(y, m));
      EXPECT_EQ(SavedPct(x, m), SavedPct(y, m));
    }
    if (::testing::Test::HasFailure()) return;
  }
}

}  // namespace tce::testing

#endif  // TCE_TESTS_HISTORY_HISTORY_RECORDS_H_
