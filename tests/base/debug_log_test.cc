#include "base/debug_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/memory_desktop_port.h"
#include "support/temp_dir.h"

namespace tce {
namespace {

using ::tce::testing::ReadFileBytes;
using ::tce::testing::TempDir;
using ::tce::testing::WriteFileBytes;

TEST(DebugLogFormatTest, TextStartsInColumnTwenty) {
  EXPECT_EQ(FormatLogEntry("Panel", "Showing startup screen"),
            "Panel" + std::string(14, ' ') + "Showing startup screen\r\n");
  EXPECT_EQ(FormatLogEntry("-------", ""),
            "-------" + std::string(12, ' ') + "\r\n");
  // A category of 19 characters leaves no blank before the text.
  EXPECT_EQ(FormatLogEntry(std::string(19, 'c'), "x"),
            std::string(19, 'c') + "x\r\n");
}

TEST(DebugLogFormatTest, LongCategoriesPutTheTextOnTheNextLine) {
  const std::string category(20, 'C');
  EXPECT_EQ(FormatLogEntry(category, "text"),
            category + "\r\n" + std::string(19, ' ') + "text\r\n");
  EXPECT_EQ(FormatLogEntry(std::string(30, 'C'), ""),
            std::string(30, 'C') + "\r\n" + std::string(19, ' ') + "\r\n");
}

TEST(DebugLogFormatTest, SqlEntriesPutTheStatementBelowTheCategory) {
  EXPECT_EQ(FormatLogEntry("SQL", "SELECT 1\r\nFROM T"),
            "SQL\r\nSELECT 1\r\nFROM T\r\n");
  // Only the exact capitals make the SQL layout.
  EXPECT_EQ(FormatLogEntry("sql", "x"), "sql" + std::string(16, ' ') + "x\r\n");
}

TEST(DebugLogTest, AppendsEveryEntryToTheFile) {
  TempDir dir;
  DebugLog log(dir.File("TARVEXCOMPRESS.DBG"));
  log.WriteLog("Panel", "one");
  log.WriteLog("SQL", "SELECT 1");
  EXPECT_EQ(ReadFileBytes(log.path()),
            "Panel" + std::string(14, ' ') + "one\r\nSQL\r\nSELECT 1\r\n");
  // A second log object on the same file (a second program) appends too.
  DebugLog(log.path()).WriteLog("Panel", "two");
  EXPECT_NE(ReadFileBytes(log.path()).find("two\r\n"), std::string::npos);
}

TEST(DebugLogTest, AnUnopenableFileIsSilentlySkipped) {
  TempDir dir;
  // A directory where the file should be: it cannot be opened for writing.
  std::filesystem::create_directory(dir.File("blocked"));
  DebugLog blocked(dir.File("blocked"));
  blocked.WriteLog("Panel", "lost");
  DebugLog missing_folder(dir.File("no/such/folder/log.dbg"));
  missing_folder.WriteLog("Panel", "lost");
  EXPECT_FALSE(std::filesystem::exists(dir.File("no")));
}

TEST(DebugLogTest, StartingAfreshEmptiesTheLogAndIgnoresAMissingOne) {
  TempDir dir;
  DebugLog log(dir.File("x.dbg"));
  std::string why;
  EXPECT_TRUE(log.StartAfresh(&why));
  log.WriteLog("Panel", "a");
  EXPECT_TRUE(log.StartAfresh(&why));
  EXPECT_EQ(ReadFileBytes(log.path()), "");
  log.WriteLog("Panel", "b");
  EXPECT_EQ(ReadFileBytes(log.path()),
            "Panel" + std::string(14, ' ') + "b\r\n");
}

// Entries never reach a file through a link: the file a link names may be
// someone else's.
TEST(DebugLogTest, NeverWritesThroughALink) {
  TempDir dir;
  WriteFileBytes(dir.File("theirs"), "theirs\n");
  std::filesystem::create_symlink(dir.File("theirs"), dir.File("x.dbg"));
  DebugLog log(dir.File("x.dbg"));
  log.WriteLog("Panel", "a");
  EXPECT_EQ(ReadFileBytes(dir.File("theirs")), "theirs\n");
  // Starting afresh removes the link and makes a file of the user's own.
  std::string why;
  ASSERT_TRUE(log.StartAfresh(&why)) << why;
  log.WriteLog("Panel", "b");
  EXPECT_FALSE(std::filesystem::is_symlink(log.path()));
  EXPECT_EQ(ReadFileBytes(dir.File("theirs")), "theirs\n");
  EXPECT_EQ(ReadFileBytes(log.path()),
            "Panel" + std::string(14, ' ') + "b\r\n");
}

TEST(ShowMessageTest, ShowsTheTextUnderTheProgramTitle) {
  TempDir dir;
  RunSettings settings;
  DebugLog log(dir.File("x.dbg"));
  MemoryDesktopPort desktop;
  Reporter reporter(settings, log, desktop);

  reporter.ShowMessage("Connection failed.");
  ASSERT_EQ(desktop.boxes().size(), 1u);
  EXPECT_EQ(desktop.boxes()[0].title, "Tarvex Compression Estimator");
  EXPECT_EQ(desktop.boxes()[0].text, "Connection failed.");
  // With the debug log off nothing is written.
  EXPECT_FALSE(std::filesystem::exists(log.path()));

  settings.DebugLog = true;
  reporter.ShowMessage("Second");
  EXPECT_EQ(desktop.boxes().size(), 2u);
  EXPECT_EQ(ReadFileBytes(log.path()),
            "Message" + std::string(12, ' ') + "Second\r\n");
}

TEST(ReporterTest, LogWritesOnlyWhileTheSwitchIsOn) {
  TempDir dir;
  RunSettings settings;
  DebugLog log(dir.File("x.dbg"));
  MemoryDesktopPort desktop;
  Reporter reporter(settings, log, desktop);
  reporter.Log("Panel", "off");
  settings.DebugLog = true;  // switched on mid-run: appends from now on
  reporter.Log("Panel", "on");
  settings.DebugLog = false;
  reporter.Log("Panel", "off again");
  EXPECT_EQ(ReadFileBytes(log.path()),
            "Panel" + std::string(14, ' ') + "on\r\n");
}

}  // namespace
}  // namespace tce
