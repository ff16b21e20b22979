#include "wizard/wizard.h"

#include <gtest/gtest.h>

namespace tce {
namespace {

TEST(JoinFilterLinesTest, NonEmptyLinesJoinedByCommas) {
  EXPECT_EQ(JoinFilterLines("OWNER1\r\n\r\nOWNER2"), "OWNER1,OWNER2");
  EXPECT_EQ(JoinFilterLines("   A   \r\n\r\nB"), "A,B");
  EXPECT_EQ(JoinFilterLines("  single name  "), "single name");
  EXPECT_EQ(JoinFilterLines(""), "");
  EXPECT_EQ(JoinFilterLines("\r\n\r\n   \r\n"), "");
  EXPECT_EQ(JoinFilterLines("a%\r\n b \r\nc"), "a%,b,c");
}

TEST(JoinFilterLinesTest, TheLastLineKeepsItsLeadingBlanks) {
  // Only the whole text's trim reaches the last line's end.
  EXPECT_EQ(JoinFilterLines("A\r\n  B  "), "A,  B");
  // A bare line feed is not a line break of the text box.
  EXPECT_EQ(JoinFilterLines("A\nB"), "A\nB");
}

}  // namespace
}  // namespace tce
