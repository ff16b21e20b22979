// tvserver-build run as a user runs it: it builds into an absent or empty
// folder or over a server it wrote, refuses anything else untouched, and
// leaves no scratch folder behind, even when a signal ends it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "catalog_builder.h"
#include "support/temp_dir.h"

namespace tce::testing {
namespace {

namespace fs = std::filesystem;

struct Child {
  pid_t pid = -1;
  int out = -1;
  int err = -1;
};

struct Outcome {
  int status = -1;  // the exit status, or 1000 + the signal that ended it
  std::string err;
};

// Starts the tool with `mask` as its umask; `pause_after` names the database
// after which the tool waits for a signal (its test hook).
Child Start(const std::string& definition, const std::string& target,
            mode_t mask, const std::string& pause_after = "") {
  int out[2], err[2];
  EXPECT_EQ(pipe(out), 0);
  EXPECT_EQ(pipe(err), 0);
  Child child{fork(), out[0], err[0]};
  if (child.pid == 0) {
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {out[0], out[1], err[0], err[1]}) close(fd);
    umask(mask);
    if (!pause_after.empty()) {
      setenv("TVSERVER_BUILD_PAUSE_AFTER", pause_after.c_str(), 1);
    }
    execl(TVSERVER_BUILD_PATH, "tvserver-build", definition.c_str(),
          target.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  return child;
}

Outcome Wait(const Child& child) {
  Outcome outcome;
  char buffer[4096];
  for (ssize_t n; (n = read(child.err, buffer, sizeof buffer)) > 0;)
    outcome.err.append(buffer, n);
  int status = 0;
  waitpid(child.pid, &status, 0);
  close(child.out);
  close(child.err);
  outcome.status =
      WIFSIGNALED(status) ? 1000 + WTERMSIG(status) : WEXITSTATUS(status);
  return outcome;
}

Outcome Build(const std::string& definition, const std::string& target,
              mode_t mask = 022) {
  return Wait(Start(definition, target, mask));
}

// Everything under `root`: each entry's kind, mode, owner and content (its
// hash, to keep a failure's message short).
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    struct stat info;
    lstat(entry.path().c_str(), &info);
    std::string what =
        std::to_string(info.st_mode) + " " + std::to_string(info.st_uid) + " ";
    if (S_ISLNK(info.st_mode)) what += fs::read_symlink(entry.path()).string();
    if (S_ISREG(info.st_mode)) {
      what += std::to_string(
          std::hash<std::string>{}(ReadFileBytes(entry.path().string())));
    }
    entries[fs::relative(entry.path(), root).string()] = what;
  }
  return entries;
}

mode_t ModeOf(const fs::path& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class TvserverBuildTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFileBytes(definition_, kTwoDatabases); }
  bool IsServer(const fs::path& folder, const std::vector<std::string>& dbs) {
    bool all = fs::is_regular_file(folder / "sysmaster.db");
    for (const std::string& db : dbs)
      all = all && fs::is_regular_file(folder / (db + ".db"));
    return all;
  }

  static constexpr char kTwoDatabases[] =
      "server 11.70 pagesize 2048\ndatabase a\ntable o.t pages 1 rows 5\n"
      "  c integer\ndatabase b\ntable o.u pages 2 rows 9\n  d char(4)\n";
  TempDir dir_;
  const std::string definition_ = dir_.File("x.tvdef");
  const fs::path target_ = dir_.path() / "srv";
};

TEST_F(TvserverBuildTest, BuildsIntoAnAbsentOrAnEmptyFolder) {
  EXPECT_EQ(Build(definition_, target_.string()).status, 0);
  EXPECT_TRUE(IsServer(target_, {"a", "b"}));
  const fs::path empty = dir_.path() / "empty";
  fs::create_directory(empty);
  chmod(empty.c_str(), 0751);
  EXPECT_EQ(Build(definition_, empty.string() + "/").status, 0);
  EXPECT_TRUE(IsServer(empty, {"a", "b"}));
  EXPECT_EQ(ModeOf(empty), 0751u);
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_.path()))
    names.insert(entry.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"x.tvdef", "srv", "empty"}));
}

TEST_F(TvserverBuildTest, RebuildsItsOwnServerKeepingModeOwnerAndGroup) {
  ASSERT_EQ(Build(definition_, target_.string()).status, 0);
  // Owner and group are kept only where a chown may give them.
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(target_.c_str(), 4321, 4322), 0);
  }
  ASSERT_EQ(chmod(target_.c_str(), 02775), 0);
  WriteFileBytes(definition_, "database c\ntable o.t rows 1\n  c integer\n");
  EXPECT_EQ(Build(definition_, target_.string(), 077).status, 0);
  EXPECT_TRUE(IsServer(target_, {"c"}));
  EXPECT_FALSE(fs::exists(target_ / "a.db"));
  EXPECT_EQ(ModeOf(target_), 02775u);
  struct stat info;
  ASSERT_EQ(stat(target_.c_str(), &info), 0);
  if (root) {
    EXPECT_EQ(std::make_pair(info.st_uid, info.st_gid),
              std::make_pair(4321u, 4322u));
    ASSERT_EQ(stat((target_ / "c.db").c_str(), &info), 0);
    EXPECT_EQ(info.st_gid, 4322u) << "a setgid folder's group";
  }
}

// A server written before the tool marked its folders: only the server's
// SQLite files, each holding the server's tables.
TEST_F(TvserverBuildTest, RebuildsAnUnmarkedServerOfOnlyServerFiles) {
  std::string error;
  ASSERT_TRUE(tvcli::CreateServer(target_.string(), "9.40", 2048, &error));
  tvcli::DatabaseBuilder old((target_ / "old.db").string());
  old.AddTable("o", "t", 1, 1, 2048);
  ASSERT_TRUE(old.Finish(&error)) << error;
  EXPECT_EQ(Build(definition_, target_.string()).status, 0);
  EXPECT_TRUE(IsServer(target_, {"a", "b"}));
  EXPECT_FALSE(fs::exists(target_ / "old.db"));
}

TEST_F(TvserverBuildTest, RefusesWhatItDidNotMakeAndTouchesNothing) {
  std::string error;
  const fs::path notes = dir_.path() / "notes";  // a server and a user file
  ASSERT_TRUE(tvcli::CreateServer(notes.string(), "9.40", 2048, &error));
  WriteFileBytes((notes / "todo.txt").string(), "keep me\n");
  const fs::path fake = dir_.path() / "fake";  // server names, not servers
  fs::create_directory(fake);
  WriteFileBytes((fake / "sysmaster.db").string(), "my own notes\n");
  WriteFileBytes((fake / "a.db").string(), "");
  // SQLite files by the server's names, but a.db is not a database's catalog.
  const fs::path other = dir_.path() / "other";
  ASSERT_TRUE(tvcli::CreateServer(other.string(), "9.40", 2048, &error));
  fs::copy_file(other / "sysmaster.db", other / "a.db");
  fs::create_directory_symlink(notes, dir_.path() / "to-notes");
  fs::create_symlink(definition_, dir_.path() / "to-definition");
  ASSERT_EQ(Build(definition_, target_.string()).status, 0);
  fs::create_directory_symlink(target_, dir_.path() / "to-server");
  ASSERT_EQ(mkfifo(dir_.File("fifo").c_str(), 0600), 0);
  const auto before = Snapshot(dir_.path());
  for (const std::string& target :
       {notes.string(), fake.string(), other.string(), definition_,
        dir_.File("to-notes"), dir_.File("to-definition"),
        dir_.File("to-server"), dir_.File("fifo"), dir_.File("to-server/")}) {
    const Outcome outcome = Build(definition_, target);
    EXPECT_EQ(outcome.status, 2) << target;
    EXPECT_NE(outcome.err.find(target), std::string::npos) << outcome.err;
    EXPECT_EQ(Snapshot(dir_.path()), before) << target;
  }
  // A file the tool did not write, put into its server, makes it not ours.
  WriteFileBytes((target_ / "mine.db").string(), "");
  EXPECT_EQ(Build(definition_, target_.string()).status, 2);
  EXPECT_TRUE(fs::exists(target_ / "mine.db"));
}

TEST_F(TvserverBuildTest, ANewServerFollowsTheUmask) {
  for (const mode_t mask : {mode_t{027}, mode_t{002}}) {
    const fs::path target = dir_.path() / ("srv" + std::to_string(mask));
    ASSERT_EQ(Build(definition_, target.string(), mask).status, 0);
    EXPECT_EQ(ModeOf(target), 0777 & ~mask);
    for (const auto& entry : fs::directory_iterator(target))
      EXPECT_EQ(ModeOf(entry.path()), 0666 & ~mask) << entry.path();
  }
}

// The tool pauses after the first database; the signal then ends it with
// the scratch folder gone and the server it was replacing as it was.
TEST_F(TvserverBuildTest, ASignalMidBuildLeavesNoScratchFolder) {
  ASSERT_EQ(Build(definition_, target_.string()).status, 0);
  const auto before = Snapshot(dir_.path());
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    const Child child = Start(definition_, target_.string(), 022, "a");
    pollfd ready{child.out, POLLIN, 0};
    char byte = 0;
    ASSERT_EQ(poll(&ready, 1, 30000), 1);
    ASSERT_EQ(read(child.out, &byte, 1), 1) << "the tool never paused";
    bool scratch = false;
    for (const auto& entry : fs::directory_iterator(dir_.path()))
      scratch = scratch || (fs::exists(entry.path() / "a.db") &&
                            entry.path().filename() != "srv");
    EXPECT_TRUE(scratch) << "paused mid-build";
    kill(child.pid, signal);
    EXPECT_EQ(Wait(child).status, 1000 + signal);
    EXPECT_EQ(Snapshot(dir_.path()), before) << signal;
  }
}

}  // namespace
}  // namespace tce::testing
