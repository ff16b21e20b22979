#include "engine/cardinality.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "support/printers.h"

namespace tce {
namespace {

double Card(std::string distribution, double rows) {
  return getCard(distribution, rows);
}

TEST(GetCardTest, EmptyOrUnreadableAssumesEveryRowDistinct) {
  EXPECT_EQ(Card("", 1000), 1000);
  EXPECT_EQ(Card("", 0), 0);
  EXPECT_EQ(Card("", -5), 0);
  EXPECT_EQ(Card("garbage", 77), 77);
}

TEST(GetCardTest, FullDistributionGivesItsDistinctCount) {
  EXPECT_EQ(Card("TVD1;s=1000;d=42;f1=3", 1000), 42);
  EXPECT_EQ(Card("TVD1;s=1200;d=42;f1=3", 1000), 42);  // stale statistics
  EXPECT_EQ(Card("TVD1;s=50;d=7;f1=0", 0), 7);         // no row count: trust d
  EXPECT_EQ(Card("TVD1;s=50;d=7;f1=0", -1), 7);
}

TEST(GetCardTest, SampledDistributionUsesDuj1WithinItsBounds) {
  // s = 1000 of 100000 rows, d = 500, f1 = 100:
  // 1000*500 / (1000 - 100 + 100*1000/100000) = 500000 / 901.
  EXPECT_DOUBLE_EQ(Card("TVD1;s=1000;d=500;f1=100", 100000), 500000.0 / 901.0);
  // Every sampled value seen once: the estimate reaches the row count.
  EXPECT_DOUBLE_EQ(Card("TVD1;s=1000;d=1000;f1=1000", 100000), 100000);
  // No singletons: the sample saw every value.
  EXPECT_DOUBLE_EQ(Card("TVD1;s=1000;d=12;f1=0", 100000), 12);
  // Every sampled value seen once, f1 = d: 1000 * 200 / (800 + 2).
  EXPECT_DOUBLE_EQ(Card("TVD1;s=1000;d=200;f1=200", 100000), 200000.0 / 802.0);
  // An empty sample knows nothing.
  EXPECT_EQ(Card("TVD1;s=0;d=0;f1=0", 500), 500);
}

TEST(GetCardTest, FieldOrderAndUnknownFieldsDoNotMatter) {
  EXPECT_EQ(Card("TVD1;f1=3;d=42;s=1000", 1000), 42);
  EXPECT_EQ(Card("TVD1;s=1000;x=9;d=42;;f1=3;v=2", 1000), 42);
  // Bins after the summary (fields without "=") end the reading.
  EXPECT_EQ(Card("TVD1;s=1000;d=42;f1=3;bin 1 2 3;s=5", 1000), 42);
}

TEST(ReadDistributionSummaryTest, RejectsWhatIsNotSound) {
  for (const char* text : {
           "", "TVD", "TVD1", "TVD2;s=1;d=1;f1=1", "tvd1;s=1;d=1;f1=1",
           "TVD1x;s=1;d=1;f1=1", " TVD1;s=1;d=1;f1=1",
           "TVD1;s=100;d=10",            // f1 missing
           "TVD1;s=100;d=10;f1=",        // truncated
           "TVD1;s=100;d=10;f1=1;d=10",  // repeated
           "TVD1;s=100;d=-10;f1=1",      // negative
           "TVD1;s=100;d=1.5;f1=1",      // not plain
           "TVD1;s= 100;d=10;f1=1",
           "TVD1;s=1000000000000000000000;d=1;f1=1",  // enormous
           "TVD1;s=10;d=20;f1=1",                     // d above s
           "TVD1;s=10;d=5;f1=6",                      // f1 above d
           "TVD1;bins;s=10;d=5;f1=1",                 // summary cut off by bins
       }) {
    EXPECT_EQ(ReadDistributionSummary(text), std::nullopt) << text;
  }
}

TEST(GetCardTest, NeverNegativeOrNonFinite) {
  std::string long_text = "TVD1;s=100;d=10;f1=5;" + std::string(10000, 'x');
  EXPECT_EQ(Card(long_text, 1000), Card("TVD1;s=100;d=10;f1=5", 1000));
  std::string binary(300, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i);
  const double inf = std::numeric_limits<double>::infinity();
  for (const std::string& text :
       {std::string("TVD1;s=999999999999999999;d=999999999999999999;f1=1"),
        std::string("TVD1;s=1;d=1;f1=1"), binary, long_text}) {
    for (double rows :
         {-1e300, -1.0, 0.0, 0.5, 1.0, 3.0, 1e300, inf, -inf, std::nan("")}) {
      const double card = Card(text, rows);
      EXPECT_TRUE(std::isfinite(card)) << rows;
      EXPECT_GE(card, 0.0) << rows;
    }
  }
}

TEST(CardinalityOfTest, RoundsToFourDecimalsAndKeepsTheText) {
  std::string distribution = "TVD1;s=1000;d=500;f1=100";
  EXPECT_EQ(CardinalityOf(distribution, Fixed4::FromInt(100000)),
            Fixed4::FromDouble(554.9390));
  EXPECT_EQ(distribution, "TVD1;s=1000;d=500;f1=100");
  std::string empty;
  EXPECT_EQ(CardinalityOf(empty, Fixed4::FromInt(7)), Fixed4::FromInt(7));
}

}  // namespace
}  // namespace tce
