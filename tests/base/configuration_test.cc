#include "base/configuration.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace tce {
namespace {

using ::tce::testing::TempDir;
using ::tce::testing::WriteFileBytes;

class ConfigurationTest : public ::testing::Test {
 protected:
  // Reads `content` as the configuration file, from the start-up state.
  Configuration Read(const std::string& content) {
    WriteFileBytes(path_, content);
    settings_ = RunSettings{};
    return ReadConfiguration(path_, settings_);
  }

  TempDir dir_;
  std::string path_ = dir_.File("TarvexCompEst.ini");
  RunSettings settings_;
};

TEST_F(ConfigurationTest, NoFileLeavesBothLogsOff) {
  RunSettings settings;
  settings.LogSQL = true;
  ReadConfiguration(dir_.File("missing.ini"), settings);
  EXPECT_FALSE(settings.DebugLog);
  EXPECT_FALSE(settings.LogSQL);
}

TEST_F(ConfigurationTest, KeysAndValuesIgnoreCaseAndBlanks) {
  Read("debug = on\r\n");
  EXPECT_TRUE(settings_.DebugLog);
  Read("*comment\r\nDEBUG=ON\r\nSHOWSQL=on ; trailing comment\r\n");
  EXPECT_TRUE(settings_.DebugLog);
  EXPECT_TRUE(settings_.LogSQL);
  Read("  SHOWSQL  =  ON   ");  // no line end on the last line
  EXPECT_FALSE(settings_.DebugLog);
  EXPECT_TRUE(settings_.LogSQL);
}

TEST_F(ConfigurationTest, CommentsAndMalformedLines) {
  Read("DEBUG=ON;comment\n");
  EXPECT_TRUE(settings_.DebugLog);
  Read(";DEBUG=ON\n");  // the key is ";DEBUG"
  EXPECT_FALSE(settings_.DebugLog);
  Read("*DEBUG=ON\n");
  EXPECT_FALSE(settings_.DebugLog);
  Read("=ON\nDEBUG\nDEBUG ON\n");
  EXPECT_FALSE(settings_.DebugLog);
  Read("DEBUG=ONE\n");
  EXPECT_FALSE(settings_.DebugLog);
  Read("DEBUG=YES\n");
  EXPECT_FALSE(settings_.DebugLog);
}

TEST_F(ConfigurationTest, TheLastOccurrenceWins) {
  Read("DEBUG=ON\nDEBUG=OFF\n");
  EXPECT_FALSE(settings_.DebugLog);
  Read("DEBUG=OFF\nDEBUG=ON\n");
  EXPECT_TRUE(settings_.DebugLog);
  Read("DEBUG=ON\nDEBUG=\n");
  EXPECT_FALSE(settings_.DebugLog);
}

TEST_F(ConfigurationTest, DriverLibraryKeepsItsCase) {
  EXPECT_EQ(Read("CLILIB = libodbc.so.2 ; the driver manager\n").cli_library,
            "libodbc.so.2");
  EXPECT_EQ(Read("clilib=/opt/Vendor/lib/libCli.so\n").cli_library,
            "/opt/Vendor/lib/libCli.so");
  EXPECT_EQ(Read("DEBUG=ON\n").cli_library, "");
}

TEST_F(ConfigurationTest, TheHistoryFileIsFoundBesideTheConfiguration) {
  EXPECT_EQ(Read("HISTORY = Runs.db ; kept beside this file\n").history_file,
            dir_.File("Runs.db"));
  EXPECT_EQ(Read("history=/srv/Runs.db\n").history_file, "/srv/Runs.db");
  EXPECT_EQ(Read("HISTORY=\n").history_file, "");
}

TEST_F(ConfigurationTest, BadFilesAreReadAsFarAsTheyAreSound) {
  std::string binary(4096, '\0');
  for (size_t i = 0; i < binary.size(); ++i)
    binary[i] = static_cast<char>(i * 7);
  Read(binary + "\nDEBUG=ON\n");
  EXPECT_TRUE(settings_.DebugLog);
  Read(std::string(1 << 20, 'x') + "\r\nSHOWSQL=ON\r\n");  // a 1 MB line
  EXPECT_TRUE(settings_.LogSQL);
  Read("DEBUG=ON\xff\xfe\n");
  EXPECT_FALSE(settings_.DebugLog);
  std::filesystem::remove(path_);
  std::filesystem::create_directory(path_);  // a directory in its place
  RunSettings settings;
  ReadConfiguration(path_, settings);
  EXPECT_FALSE(settings.DebugLog);
}

TEST_F(ConfigurationTest, AFileOfSeveralReadBuffersIsReadToTheEnd) {
  // The reader takes 64 kB at a time; lines cross the buffers' ends.
  std::string big;
  while (big.size() < 3 * 65536 + 17) big += "* filler line of a file\r\n";
  Read(big + "DEBUG=ON");
  EXPECT_TRUE(settings_.DebugLog);
  Read(std::string(65535, '*') + "\r\nSHOWSQL=ON\r\n");  // CR LF split
  EXPECT_TRUE(settings_.LogSQL);
}

TEST_F(ConfigurationTest, ALastLineEndingInALoneCarriageReturnCounts) {
  Read("SHOWSQL=ON\r\nDEBUG=ON\r");
  EXPECT_TRUE(settings_.DebugLog);
  EXPECT_TRUE(settings_.LogSQL);
}

TEST_F(ConfigurationTest, OnlyAFileOfTheUsersOwnMayNameALibrary) {
  Read("CLILIB=libodbc.so.2\r\n");
  std::filesystem::permissions(path_, std::filesystem::perms(0644));
  std::filesystem::permissions(dir_.path(), std::filesystem::perms(0755));
  EXPECT_TRUE(MayNameALibrary(path_));
  std::filesystem::permissions(path_, std::filesystem::perms(0664));
  EXPECT_FALSE(MayNameALibrary(path_));  // the group may write it
  std::filesystem::permissions(path_, std::filesystem::perms(0646));
  EXPECT_FALSE(MayNameALibrary(path_));
  std::filesystem::permissions(path_, std::filesystem::perms(0600));
  std::filesystem::permissions(dir_.path(), std::filesystem::perms(0777));
  EXPECT_FALSE(MayNameALibrary(path_));  // others may replace it
  std::filesystem::permissions(dir_.path(), std::filesystem::perms(01777));
  EXPECT_TRUE(MayNameALibrary(path_));  // unless the folder is sticky
  std::filesystem::permissions(dir_.path(), std::filesystem::perms(0755));
  EXPECT_FALSE(MayNameALibrary(dir_.File("missing.ini")));
  EXPECT_FALSE(MayNameALibrary(dir_.path().string()));
  // A link is judged by the file it names and that file's folder, not by
  // the link's own folder.
  TempDir shared;
  std::filesystem::permissions(shared.path(), std::filesystem::perms(0777));
  const std::string real = shared.File("real.ini");
  WriteFileBytes(real, "CLILIB=libodbc.so.2\r\n");
  std::filesystem::permissions(real, std::filesystem::perms(0600));
  std::filesystem::create_symlink(real, dir_.File("link.ini"));
  EXPECT_FALSE(MayNameALibrary(dir_.File("link.ini")));
  std::filesystem::permissions(shared.path(), std::filesystem::perms(0700));
  EXPECT_TRUE(MayNameALibrary(dir_.File("link.ini")));
}

}  // namespace
}  // namespace tce
