#include "engine/fixed4.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/printers.h"

namespace tce {
namespace {

Fixed4 F(double value) { return Fixed4::FromDouble(value); }

TEST(Fixed4Test, ConvertsFromDoubleToTheNearestTenThousandth) {
  EXPECT_EQ(F(20.714285714).raw(), 207143);
  EXPECT_EQ(F(-20.714285714).raw(), -207143);
  EXPECT_EQ(F(15.176).raw(), 151760);
  EXPECT_EQ(F(0.00004).raw(), 0);
  EXPECT_EQ(F(0.00006).raw(), 1);
}

TEST(Fixed4Test, RoundsTheExactBinaryValueNotATimesTenThousandProduct) {
  // 24.49005 is stored as 24.4900500000000000966..., above the half.
  EXPECT_EQ(F(24.49005).raw(), 244901);
  EXPECT_EQ(F(0.12345).raw(), 1235);  // 0.1234500000000000041...
  EXPECT_EQ(F(0.00015).raw(), 1);     // 0.0001499999999999999868...
  EXPECT_EQ(F(0.00005).raw(), 1);     // 0.0000500000000000000023...
  // Exact halves go to the even neighbour.
  EXPECT_EQ(F(0.5 / 10000 * 2).raw(), 1);
  EXPECT_EQ(F(2.5).raw(), 25000);
  EXPECT_EQ(F(0.03125).raw(), 312);  // 312.5 ten-thousandths
  EXPECT_EQ(F(0.09375).raw(), 938);  // 937.5
  EXPECT_EQ(F(-0.03125).raw(), -312);
  EXPECT_EQ(F(1e-300).raw(), 0);
  EXPECT_EQ(F(-1e-300).raw(), 0);
  EXPECT_EQ(F(922337203685477.0).raw(), 9223372036854770000);
  EXPECT_EQ(Fixed4::TryFromDouble(922337203685478.0), std::nullopt);
}

TEST(Fixed4Test, ProductsRoundHalfToEven) {
  // 0.0005 * 0.5 = 0.00025 -> 0.0002; 0.0015 * 0.5 = 0.00075 -> 0.0008.
  EXPECT_EQ((Fixed4::FromRaw(5) * Fixed4::FromRaw(5000)).raw(), 2);
  EXPECT_EQ((Fixed4::FromRaw(15) * Fixed4::FromRaw(5000)).raw(), 8);
  EXPECT_EQ((Fixed4::FromRaw(-5) * Fixed4::FromRaw(5000)).raw(), -2);
  EXPECT_EQ(F(2048) * F(9.5), F(19456));
}

TEST(Fixed4Test, SumsAreExact) {
  EXPECT_EQ(F(0.1) + F(0.2), F(0.3));
  EXPECT_EQ(F(14) - F(11.1), F(2.9));
}

TEST(Fixed4Test, OutOfRangeSaturatesAndNanIsZero) {
  EXPECT_EQ(F(1e20), Fixed4::Max());
  EXPECT_EQ(F(-1e20), Fixed4::Min());
  EXPECT_EQ(F(std::nan("")), Fixed4());
  EXPECT_EQ(Fixed4::TryFromDouble(std::numeric_limits<double>::infinity()),
            std::nullopt);
  EXPECT_EQ(Fixed4::TryFromDouble(1e15), std::nullopt);
  EXPECT_EQ(Fixed4::Max() + F(1), Fixed4::Max());
  EXPECT_EQ(Fixed4::Min() - F(1), Fixed4::Min());
  EXPECT_EQ(Fixed4::Max() * F(2), Fixed4::Max());
  EXPECT_EQ(Fixed4::FromInt(INT64_MAX), Fixed4::Max());
}

TEST(Fixed4Test, TextHasNoTrailingZeros) {
  EXPECT_EQ(F(14).ToText(), "14");
  EXPECT_EQ(F(11.1).ToText(), "11.1");
  EXPECT_EQ(F(20.7143).ToText(), "20.7143");
  EXPECT_EQ(F(-0.5).ToText(), "-0.5");
  EXPECT_EQ(F(0.05).ToText(), "0.05");
  EXPECT_EQ(Fixed4().ToText(), "0");
  EXPECT_EQ(Fixed4::Min().ToText(), "-922337203685477.5808");
}

TEST(Fixed4Test, RoundsToWholeHalfToEven) {
  EXPECT_EQ(F(2.5).RoundToWhole(), 2);
  EXPECT_EQ(F(3.5).RoundToWhole(), 4);
  EXPECT_EQ(F(-2.5).RoundToWhole(), -2);
  EXPECT_EQ(F(15.176).RoundToWhole(), 15);
  EXPECT_EQ(F(2.4999).RoundToWhole(), 2);
}

}  // namespace
}  // namespace tce
