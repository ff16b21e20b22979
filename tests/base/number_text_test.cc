#include "base/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tce {
namespace {

TEST(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(3.5), 4.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
  EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
  EXPECT_EQ(RoundHalfEven(0.5), 0.0);
  EXPECT_EQ(RoundHalfEven(2.4999), 2.0);
  EXPECT_EQ(RoundHalfEven(2.5001), 3.0);
  EXPECT_TRUE(std::isnan(RoundHalfEven(std::nan(""))));
}

TEST(FormatNumberTest, PlainDecimalWithoutTrailingZeros) {
  EXPECT_EQ(FormatNumber(14.0), "14");
  EXPECT_EQ(FormatNumber(-3.5), "-3.5");
  EXPECT_EQ(FormatNumber(0.25), "0.25");
  EXPECT_EQ(FormatNumber(-0.0), "0");
  EXPECT_EQ(FormatNumber(1234567890123.0), "1234567890123");
  EXPECT_EQ(FormatNumber(int64_t{-42}), "-42");
}

TEST(FormatNumberTest, LeadingBlankOnlyBeforeNonNegativeValues) {
  EXPECT_EQ(WithLeadingBlank("14"), " 14");
  EXPECT_EQ(WithLeadingBlank("0"), " 0");
  EXPECT_EQ(WithLeadingBlank("-1"), "-1");
}

TEST(LeadingNumberTest, ReadsTheLeadingNumericPart) {
  EXPECT_EQ(LeadingNumber("42"), 42.0);
  EXPECT_EQ(LeadingNumber("  42  "), 42.0);
  EXPECT_EQ(LeadingNumber(" 1 2 3abc"), 123.0);  // blanks inside are skipped
  EXPECT_EQ(LeadingNumber("-7.25xyz"), -7.25);
  EXPECT_EQ(LeadingNumber("+3"), 3.0);
  EXPECT_EQ(LeadingNumber("1.2.3"), 1.2);
  EXPECT_EQ(LeadingNumber("2.5,Text"), 2.5);
  EXPECT_EQ(LeadingNumber("1e3"), 1000.0);
  EXPECT_EQ(LeadingNumber("1E"), 1.0);  // no exponent digits: no exponent
  EXPECT_EQ(LeadingNumber(".5"), 0.5);
}

TEST(LeadingNumberTest, NoNumberGivesZero) {
  EXPECT_EQ(LeadingNumber(""), 0.0);
  EXPECT_EQ(LeadingNumber("abc"), 0.0);
  EXPECT_EQ(LeadingNumber("-"), 0.0);
  EXPECT_EQ(LeadingNumber("."), 0.0);
  EXPECT_EQ(LeadingNumber(",12"), 0.0);
}

TEST(LeadingNumberTest, HugeExponentsDoNotHang) {
  EXPECT_TRUE(std::isinf(LeadingNumber("1e99999999999999999999")));
  EXPECT_EQ(LeadingNumber("1e-99999999999"), 0.0);
}

TEST(LenientIntegerTest, RoundsHalfToEvenAndRejectsWhatDoesNotFit) {
  EXPECT_EQ(LenientInteger("2.5"), 2);
  EXPECT_EQ(LenientInteger("3.5"), 4);
  EXPECT_EQ(LenientInteger(" 4 "), 4);
  EXPECT_EQ(LenientInteger(""), 0);
  EXPECT_EQ(LenientInteger("1e30"), std::nullopt);
  EXPECT_EQ(RoundToRange(32767.4, INT16_MIN, INT16_MAX), 32767);
  EXPECT_EQ(RoundToRange(32767.6, INT16_MIN, INT16_MAX), std::nullopt);
  EXPECT_EQ(RoundToRange(std::numeric_limits<double>::infinity(), 0, 10),
            std::nullopt);
}

}  // namespace
}  // namespace tce
