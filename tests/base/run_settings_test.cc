#include "base/run_settings.h"

#include <gtest/gtest.h>

namespace tce {
namespace {

void ExpectStartupValues(const RunSettings& s) {
  EXPECT_EQ(s.MinCompressionPct, 0);
  EXPECT_EQ(s.MinTableSizeMB, 0);
  EXPECT_FALSE(s.IgnoreTablesWithoutStats);
  EXPECT_TRUE(s.UseMaxCardinality);
  EXPECT_TRUE(s.EstimatePageCompression);
  EXPECT_TRUE(s.ShowPageSavings);
  EXPECT_TRUE(s.TabDelimited);
  EXPECT_EQ(s.OwnerFilter, "");
  EXPECT_EQ(s.TableFilter, "");
}

TEST(RunSettingsTest, StartsWithTheStartupValuesAndBothLogsOff) {
  RunSettings settings;
  ExpectStartupValues(settings);
  EXPECT_FALSE(settings.DebugLog);
  EXPECT_FALSE(settings.LogSQL);
}

TEST(RunSettingsTest, ResetKeepsTheConfiguredLogSwitches) {
  RunSettings settings;
  settings.DebugLog = true;
  settings.LogSQL = true;
  settings.MinCompressionPct = 40;
  settings.OwnerFilter = "A,B";
  ResetToStartupValues(settings);
  ExpectStartupValues(settings);
  EXPECT_TRUE(settings.DebugLog);
  EXPECT_TRUE(settings.LogSQL);
}

}  // namespace
}  // namespace tce
