// The files the command-line tool is given: each in one role.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/batch_process.h"
#include "support/temp_dir.h"

namespace tce {
namespace {

using ::tce::testing::ReadFileBytes;
using ::tce::testing::Result;
using ::tce::testing::RunBatchProcess;
using ::tce::testing::TempDir;
using ::tce::testing::WriteFileBytes;
namespace fs = std::filesystem;

// Every name in a folder (links as links) with what it holds.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().lexically_relative(folder).string();
    names[name] = entry.is_symlink() ? "-> " + fs::read_symlink(entry).string()
                  : entry.is_regular_file() ? ReadFileBytes(entry.path())
                                            : "folder";
  }
  return names;
}

TEST(BatchFilesTest, OneFileTakesOneRole) {
  TempDir dir;
  WriteFileBytes(dir.File("out.txt"), "kept\n");
  WriteFileBytes(dir.File("pw"), "secret\n");
  ASSERT_EQ(RunBatchProcess({"--database", "demo", "--tables", "currency",
                             "--json", "--output", dir.File("in.json")})
                .status,
            0);
  fs::create_directory(dir.File("sub"));
  fs::create_symlink("out.txt", dir.File("link"));
  fs::create_symlink("made.txt", dir.File("dangling"));
  const auto before = Snapshot(dir.path());
  // The options, and the two roles the message names.
  struct Case {
    std::vector<std::string> args;
    std::string first, second;
  };
  const std::vector<Case> cases = {
      {{"--output", "out.txt", "--report", "out.txt"},
       "--output out.txt",
       "--report out.txt"},
      {{"--password-file", "pw", "--output", "./pw"},
       "--password-file pw",
       "--output ./pw"},
      {{"--output", "link", "--report", dir.File("out.txt")},
       "--output link",
       "--report " + dir.File("out.txt")},
      // Files not made yet: by where they would be made.
      {{"--report", "new.html", "--output", "sub/../new.html"},
       "--report new.html",
       "--output sub/../new.html"},
      {{"--output", "dangling", "--report", "./made.txt"},
       "--output dangling",
       "--report ./made.txt"},
      {{"--report", "in.json", "--report-from", "in.json"},
       "--report in.json",
       "--report-from in.json"},
      {{"--report", "r.html", "--report-from", "in.json", "sub/../in.json"},
       "--report-from in.json",
       "--report-from sub/../in.json"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> run = c.args;
    if (c.args[2] != "--report-from") {
      run.insert(run.begin(), {"--database", "demo"});
    }
    const Result result = RunBatchProcess(run, "", dir.path().string());
    EXPECT_EQ(result.status, 2) << ::testing::PrintToString(c.args);
    for (const std::string& role : {c.first, c.second}) {
      EXPECT_NE(result.err.find(role + " "), std::string::npos) << result.err;
    }
  }
  EXPECT_EQ(Snapshot(dir.path()), before);
  // Files of their own are written; so are two outputs to one device.
  const Result apart =
      RunBatchProcess({"--database", "demo", "--output", "out.txt", "--report",
                       "sub/out.txt", "--password-file", "pw"},
                      "", dir.path().string());
  EXPECT_EQ(apart.status, 0) << apart.err;
  EXPECT_NE(ReadFileBytes(dir.File("out.txt")), "kept\n");
  EXPECT_EQ(RunBatchProcess({"--database", "demo", "--output", "/dev/null",
                             "--report", "/dev/null"})
                .status,
            0);
}

}  // namespace
}  // namespace tce
