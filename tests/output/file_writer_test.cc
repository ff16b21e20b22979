// The one file writer: a target is replaced whole or not at all.
#include "output/file_writer.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>
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

// Runs `body` in a child process as a user that file permissions bind:
// nobody when the tests run as root, else the user itself. What `body`
// returns comes back through a pipe; nullopt when nobody cannot be become.
std::optional<std::string> AsOrdinaryUser(
    const std::function<std::string()>& body) {
  constexpr uid_t kNobody = 65534;
  constexpr int kCannotSwitch = 77;
  int fds[2];
  if (pipe(fds) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 ||
                           setuid(kNobody) != 0)) {
      _exit(kCannotSwitch);
    }
    const std::string answer = body();
    _exit(write(fds[1], answer.data(), answer.size()) ==
                  static_cast<ssize_t>(answer.size())
              ? 0
              : 1);
  }
  close(fds[1]);
  std::string answer;
  char buffer[4096];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
    answer.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotSwitch)
    return std::nullopt;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed";
  return answer;
}

std::string Outcome(const Status& status) {
  return status.ok() ? "ok" : status.ToString();
}

struct stat StatOf(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st;
}

// Files as the shell treats them, for a user that permissions bind: a
// folder that user may write holding a read-only file, and one it may not
// write holding a file anyone may write.
class FileWriterPermissionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    chmod(dir_.path().c_str(), 0755);
    fs::create_directory(open_);
    chmod(open_.c_str(), 0777);
    WriteFileBytes(read_only_, "old");
    chmod(read_only_.c_str(), 0444);
    fs::create_directory(closed_);
    WriteFileBytes(writable_, "yesterday's list");
    chmod(writable_.c_str(), 0666);
    chmod(closed_.c_str(), 0555);
  }
  // The folder is opened again, for the temporary folder's removal.
  void TearDown() override { chmod(closed_.c_str(), 0755); }

  TempDir dir_;
  const fs::path open_ = dir_.path() / "open";
  const fs::path closed_ = dir_.path() / "closed";
  const std::string read_only_ = (open_ / "read-only").string();
  const std::string writable_ = (closed_ / "writable").string();
};

TEST_F(FileWriterPermissionTest, AFileTheUserMayNotWriteIsRefused) {
  const auto outcome =
      AsOrdinaryUser([&] { return Outcome(WriteWhole(read_only_, "new")); });
  if (!outcome) GTEST_SKIP() << "running as root, and cannot become nobody";
  EXPECT_NE(outcome->find(read_only_ + ": Permission denied"),
            std::string::npos)
      << *outcome;
  EXPECT_EQ(ReadFileBytes(read_only_), "old");
  EXPECT_EQ(StatOf(read_only_).st_mode & 07777, 0444u);
  EXPECT_EQ(Entries(open_), 1u);
  // Root may write it, as the shell lets root.
  if (geteuid() == 0) {
    EXPECT_TRUE(WriteWhole(read_only_, "root's").ok());
    EXPECT_EQ(ReadFileBytes(read_only_), "root's");
  }
}

TEST_F(FileWriterPermissionTest, AWritableFileInAClosedFolderIsWrittenInPlace) {
  const struct stat before = StatOf(writable_);
  const auto outcome = AsOrdinaryUser([&] {
    // Dropped before it wrote anything out: the file is as it was.
    {
      FileWriter dropped;
      if (!dropped.Open(writable_).ok()) return std::string("not opened");
      dropped.Write("partial");
    }
    const std::string kept = ReadFileBytes(writable_);
    return kept + "; " + Outcome(WriteWhole(writable_, "new"));
  });
  if (!outcome) GTEST_SKIP() << "running as root, and cannot become nobody";
  EXPECT_EQ(*outcome, "yesterday's list; ok");
  EXPECT_EQ(ReadFileBytes(writable_), "new");
  const struct stat after = StatOf(writable_);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_mode & 07777, 0666u);
  EXPECT_EQ(Entries(closed_), 1u);
  // A write that fails half-way leaves it cut short, and says so.
  const auto failed = AsOrdinaryUser([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100000, 100000};
    setrlimit(RLIMIT_FSIZE, &limit);
    return Outcome(WriteWhole(writable_, std::string(300000, 'x')));
  });
  ASSERT_TRUE(failed);
  EXPECT_NE(failed->find("was written in place and may now be incomplete"),
            std::string::npos)
      << *failed;
  const std::string cut = ReadFileBytes(writable_);
  EXPECT_EQ(cut.size(), 100000u);
  EXPECT_EQ(cut.find_first_not_of('x'), std::string::npos);
}

}  // namespace
}  // namespace tce
