#include "base/help_topics.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/text_file.h"
#include "support/temp_dir.h"

namespace tce {
namespace {

using ::tce::testing::TempDir;
using ::tce::testing::WriteFileBytes;

class FakeHelpWindow : public HelpWindow {
 public:
  void SetCaption(const std::string& caption) override {
    this->caption = caption;
  }
  void SetText(const std::string& text) override { this->text = text; }
  void Show() override { ++shown; }

  std::string caption = "Pelmar Compression Estimator";
  std::string text;
  int shown = 0;
};

class HelpTopicTest : public ::testing::Test {
 protected:
  void Show(const std::string& content) {
    WriteFileBytes(dir_.File("topic.hlp"), content);
    ShowHelpTopic(dir_.File("topic.hlp"), window_);
  }

  TempDir dir_;
  FakeHelpWindow window_;
};

TEST_F(HelpTopicTest, LinesJoinIntoParagraphs) {
  Show("  Title  \r\n\r\n  A \r\nB\r\n\r\nC\r\n");
  EXPECT_EQ(window_.caption, "Title");
  EXPECT_EQ(window_.text, "A B\r\n\r\nC");
  EXPECT_EQ(window_.shown, 1);
}

TEST_F(HelpTopicTest, EachEmptyLineAddsTwoLineBreaks) {
  Show("T\nA\n\n\nB\nC");
  EXPECT_EQ(window_.text, "A\r\n\r\n\r\n\r\nB C");
}

TEST_F(HelpTopicTest, TitleOnlyAndEmptyFiles) {
  Show("Only a title");
  EXPECT_EQ(window_.caption, "Only a title");
  EXPECT_EQ(window_.text, "");
  EXPECT_EQ(window_.shown, 1);
  window_.caption = "before";
  Show("");
  EXPECT_EQ(window_.caption, "before");
  EXPECT_EQ(window_.text, "");
  EXPECT_EQ(window_.shown, 2);
}

TEST_F(HelpTopicTest, MissingFilesShowNothing) {
  ShowHelpTopic(dir_.File("missing.hlp"), window_);
  std::filesystem::create_directory(dir_.File("dir.hlp"));
  ShowHelpTopic(dir_.File("dir.hlp"), window_);
  EXPECT_EQ(window_.shown, 0);
}

TEST_F(HelpTopicTest, ASecondTopicReplacesTheFirstAndFilesAreClosed) {
  for (int i = 0; i < 300; ++i) Show("T" + std::to_string(i) + "\nbody");
  EXPECT_EQ(window_.caption, "T299");
  EXPECT_EQ(window_.text, "body");
}

TEST(HelpTopicFilesTest, EveryTopicBesideTheProgramHasATitleAndABody) {
  const std::string dir = ExecutableDirectory();
  const char* topics[] = {"TarvexComp-Credits.hlp",
                          "TarvexComp-Compression.hlp",
                          "TarvexComp-Size.hlp",
                          "TarvexComp-StatsLevel.hlp",
                          "TarvexComp-Cardinality.hlp",
                          "TarvexComp-PCTCalculation.hlp",
                          "TarvexComp-SavingsDisplay.hlp",
                          "TarvexComp-Tables.hlp",
                          "TarvexComp-Schemas.hlp",
                          "TarvexComp-Delimiter.hlp",
                          "TarvexComp-Debug.hlp",
                          "TarvexComp-Results.hlp",
                          "TarvexComp-CompressionDetails.hlp",
                          "TarvexComp-TableDetails.hlp",
                          "TarvexComp-LargeResults.hlp"};
  for (const char* topic : topics) {
    FakeHelpWindow window;
    ShowHelpTopic(dir + "/" + topic, window);
    EXPECT_EQ(window.shown, 1) << topic;
    EXPECT_FALSE(window.caption.empty()) << topic;
    EXPECT_GT(window.text.size(), 200u) << topic;
  }
}

TEST(DisclaimerTest, ThreeParagraphs) {
  const std::string text = DisclaimerText();
  size_t breaks = 0;
  for (size_t at = text.find("\r\n\r\n"); at != std::string::npos;
       at = text.find("\r\n\r\n", at + 4)) {
    ++breaks;
  }
  EXPECT_EQ(breaks, 2u);
  EXPECT_NE(text.find("merchantability"), std::string::npos);
  EXPECT_NE(text.find("confidential"), std::string::npos);
}

}  // namespace
}  // namespace tce
