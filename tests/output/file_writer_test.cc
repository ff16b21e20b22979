// The one file writer: a target is replaced whole or not at all.
#include "output/file_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace tce {
namespace {

using ::tce::testing::ReadFileBytes;
using ::tce::testing::TempDir;
using ::tce::testing::WriteFileBytes;
namespace fs = std::filesystem;

Status WriteWhole(const std::string& target, const std::string& bytes) {
  FileWriter file;
  Status status = file.Open(target);
  if (!status.ok()) return status;
  file.Write(bytes);
  return file.Commit();
}

// The names in a folder, to see that nothing was left behind.
size_t Entries(const fs::path& folder) {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
    ++count;
  return count;
}

TEST(FileWriterTest, ReplacesATargetWholeKeepingItsModeAndItsLink) {
  TempDir dir;
  const std::string target = dir.File("out.txt");
  WriteFileBytes(target, "old");
  chmod(target.c_str(), 0640);
  fs::create_symlink("out.txt", dir.File("link.txt"));
  ASSERT_TRUE(WriteWhole(dir.File("link.txt"), "new").ok());
  EXPECT_EQ(ReadFileBytes(target), "new");
  EXPECT_TRUE(fs::is_symlink(dir.File("link.txt")));
  struct stat st {};
  stat(target.c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  // A dangling link: the file it names is made.
  fs::create_symlink("made.txt", dir.File("dangling"));
  ASSERT_TRUE(WriteWhole(dir.File("dangling"), "made").ok());
  EXPECT_EQ(ReadFileBytes(dir.File("made.txt")), "made");
  // A name too long to carry a suffix.
  const std::string longest(255, 'n');
  ASSERT_TRUE(WriteWhole(dir.File(longest), "long").ok());
  EXPECT_EQ(ReadFileBytes(dir.File(longest)), "long");
  EXPECT_EQ(Entries(dir.path()), 5u);  // nothing else was left
}

TEST(FileWriterTest, AFailedWriteKeepsTheOldFileAndLeavesNothing) {
  TempDir dir;
  const std::string target = dir.File("out.txt");
  WriteFileBytes(target, "old");
  // A file size limit stands for a full disk.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limit = saved;
  limit.rlim_cur = 100000;
  setrlimit(RLIMIT_FSIZE, &limit);
  const Status status = WriteWhole(target, std::string(300000, 'x'));
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.ToString().find("nothing was written"), std::string::npos)
      << status.ToString();
  EXPECT_EQ(ReadFileBytes(target), "old");
  EXPECT_EQ(Entries(dir.path()), 1u);
  // A writer dropped before Commit leaves nothing either.
  {
    FileWriter file;
    ASSERT_TRUE(file.Open(dir.File("dropped.txt")).ok());
    file.Write("partial");
  }
  EXPECT_EQ(Entries(dir.path()), 1u);
}

TEST(FileWriterTest, ATerminalOrPipeIsWrittenDirectly) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  const pid_t reader = fork();
  if (reader == 0) {
    const std::string got = ReadFileBytes(dir.File("fifo"));
    _exit(got == "through the pipe" ? 0 : 1);
  }
  EXPECT_TRUE(WriteWhole(dir.File("fifo"), "through the pipe").ok());
  int status = 0;
  waitpid(reader, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(WriteWhole("/dev/null", "gone").ok());
}

TEST(FileWriterTest, ASignalRemovesTheTemporaryFile) {
  TempDir dir;
  WriteFileBytes(dir.File("out.txt"), "old");
  const pid_t child = fork();
  if (child == 0) {
    FileWriter file;
    if (!file.Open(dir.File("out.txt")).ok()) _exit(2);
    file.Write(std::string(200000, 'x'));  // past the buffer, into the file
    raise(SIGTERM);
    _exit(3);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_EQ(ReadFileBytes(dir.File("out.txt")), "old");
  EXPECT_EQ(Entries(dir.path()), 1u);
}

}  // namespace
}  // namespace tce
