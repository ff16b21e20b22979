#include "base/message_table.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace tce {
namespace {

using ::tce::testing::TempDir;
using ::tce::testing::WriteFileBytes;

class MessageTableTest : public ::testing::Test {
 protected:
  void SetUp() override { table_.LoadBuiltInTexts(); }
  void Read(const std::string& content) {
    WriteFileBytes(dir_.File("TarvexCompEst.msg"), content);
    table_.ReadMessageFile(dir_.File("TarvexCompEst.msg"));
  }

  TempDir dir_;
  MessageTable table_;
};

TEST_F(MessageTableTest, HoldsTheBuiltInTexts) {
  int filled = 0;
  for (int n = 1; n <= 200; ++n) filled += !table_[n].empty();
  EXPECT_EQ(filled, 52);
  EXPECT_EQ(table_[1], "Tarvex Compression Estimator");
  EXPECT_EQ(table_[34], "Cardinality based on indiividual column only");
  EXPECT_EQ(table_[37], "Command Delimiter");
  EXPECT_EQ(table_[38], "Schemas");
  EXPECT_EQ(table_[70], " (No statistics available)");
  EXPECT_EQ(table_[26].back(), ' ');
  EXPECT_EQ(table_[11].rfind("Welcome to the Tarvex Compression Estimator.", 0),
            0u);
  EXPECT_EQ(table_[0], "");
  EXPECT_EQ(table_[201], "");
}

TEST_F(MessageTableTest, FileLinesReplaceEntries) {
  Read("82,Nothing matches ; note\r\n   4  ,   Quit   \r\n*3,Next\r\n");
  EXPECT_EQ(table_[82], "Nothing matches");
  EXPECT_EQ(table_[4], "Quit");
  EXPECT_EQ(table_[3], "Continue");
}

TEST_F(MessageTableTest, NumbersAreReadLeniently) {
  Read("2.5,Two\n3.5,Four\n 1 0 ,Ten\n12abc,Twelve\n");
  EXPECT_EQ(table_[2], "Two");
  EXPECT_EQ(table_[4], "Four");
  EXPECT_EQ(table_[3], "Continue");
  EXPECT_EQ(table_[10], "Ten");
  EXPECT_EQ(table_[12], "Twelve");
}

TEST_F(MessageTableTest, OutOfRangeAndMalformedLinesAreIgnored) {
  Read("100,Text\n0,Text\n-1,Text\n,Text\nno comma\n;1,Text\n1e9,Text\n");
  EXPECT_EQ(table_[100], "");
  EXPECT_EQ(table_[1], "Tarvex Compression Estimator");
}

TEST_F(MessageTableTest, EmptyTextsBlankAndCommasStay) {
  Read("10,\n43,Results, all of them\n");
  EXPECT_EQ(table_[10], "");
  EXPECT_EQ(table_[43], "Results, all of them");
  Read("43,Later wins\r\n");
  EXPECT_EQ(table_[43], "Later wins");
}

TEST_F(MessageTableTest, BytesAboveAsciiAreKept) {
  Read("1,Compressi\xf3n \xe9stimateur");
  EXPECT_EQ(table_[1], "Compressi\xf3n \xe9stimateur");
}

TEST(ScreenTextsTest, AppliedInTheStartupOrder) {
  const auto& texts = StartupScreenTexts();
  ASSERT_GE(texts.size(), 4u);
  EXPECT_STREQ(texts[0].control, "FormCompression");
  EXPECT_EQ(texts[0].entry, 1);
  EXPECT_EQ(texts[1].entry, 2);
  EXPECT_EQ(texts[2].entry, 4);
  EXPECT_EQ(texts[3].entry, 3);
  EXPECT_EQ(texts.back().width_twips, 700);
  EXPECT_EQ(texts.back().entry, 62);
}

}  // namespace
}  // namespace tce
