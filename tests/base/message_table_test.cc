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

  // The entry the message file numbers n.
  const std::string& Entry(int n) const { return table_[static_cast<Msg>(n)]; }

  TempDir dir_;
  MessageTable table_;
};

TEST_F(MessageTableTest, HoldsTheBuiltInTexts) {
  int filled = 0;
  for (int n = 1; n <= 200; ++n) filled += !Entry(n).empty();
  EXPECT_EQ(filled, 52);
  EXPECT_EQ(Entry(1), "Tarvex Compression Estimator");
  EXPECT_EQ(Entry(34), "Cardinality based on indiividual column only");
  EXPECT_EQ(Entry(37), "Command Delimiter");
  EXPECT_EQ(Entry(38), "Schemas");
  EXPECT_EQ(Entry(70), " (No statistics available)");
  EXPECT_EQ(Entry(26).back(), ' ');
  EXPECT_EQ(Entry(11).rfind("Welcome to the Tarvex Compression Estimator.", 0),
            0u);
  EXPECT_EQ(Entry(0), "");
  EXPECT_EQ(Entry(401), "");
}

TEST_F(MessageTableTest, TheAddedTextsAreReplacedByTheFileToo) {
  EXPECT_EQ(Entry(201), "Compression plan");
  Read("201,Plan de compression\n150,Ignored\n401,Ignored\n");
  EXPECT_EQ(Entry(201), "Plan de compression");
  EXPECT_EQ(Entry(150), "");
  EXPECT_EQ(Entry(401), "");
}

TEST_F(MessageTableTest, FileLinesReplaceEntries) {
  Read("82,Nothing matches ; note\r\n   4  ,   Quit   \r\n*3,Next\r\n");
  EXPECT_EQ(Entry(82), "Nothing matches");
  EXPECT_EQ(Entry(4), "Quit");
  EXPECT_EQ(Entry(3), "Continue");
}

TEST_F(MessageTableTest, NumbersAreReadLeniently) {
  Read("2.5,Two\n3.5,Four\n 1 0 ,Ten\n12abc,Twelve\n");
  EXPECT_EQ(Entry(2), "Two");
  EXPECT_EQ(Entry(4), "Four");
  EXPECT_EQ(Entry(3), "Continue");
  EXPECT_EQ(Entry(10), "Ten");
  EXPECT_EQ(Entry(12), "Twelve");
}

TEST_F(MessageTableTest, OutOfRangeAndMalformedLinesAreIgnored) {
  Read("100,Text\n0,Text\n-1,Text\n,Text\nno comma\n;1,Text\n1e9,Text\n");
  EXPECT_EQ(Entry(100), "");
  EXPECT_EQ(Entry(1), "Tarvex Compression Estimator");
}

TEST_F(MessageTableTest, EmptyTextsBlankAndCommasStay) {
  Read("10,\n43,Results, all of them\n");
  EXPECT_EQ(Entry(10), "");
  EXPECT_EQ(Entry(43), "Results, all of them");
  Read("43,Later wins\r\n");
  EXPECT_EQ(Entry(43), "Later wins");
}

TEST_F(MessageTableTest, BytesAboveAsciiAreKept) {
  Read("1,Compressi\xf3n \xe9stimateur");
  EXPECT_EQ(Entry(1), "Compressi\xf3n \xe9stimateur");
}

TEST(ScreenTextsTest, AppliedInTheStartupOrder) {
  const auto& texts = StartupScreenTexts();
  ASSERT_GE(texts.size(), 4u);
  EXPECT_EQ(texts[0].control, Control::kMainWindow);
  EXPECT_EQ(texts[0].entry, Msg::kProgramTitle);
  EXPECT_EQ(texts[1].entry, Msg::kCopyright);
  EXPECT_EQ(texts[2].entry, Msg::kExit);
  EXPECT_EQ(texts[3].entry, Msg::kContinue);
  EXPECT_EQ(texts.back().width_twips, 700);
  EXPECT_EQ(texts.back().entry, Msg::kSaved);
}

}  // namespace
}  // namespace tce
