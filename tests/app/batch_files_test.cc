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
  WriteFileBytes(dir.File("names"), "currency\n");
  ASSERT_EQ(RunBatchProcess({"--database", "demo", "--tables", "currency",
                             "--json", "--output", dir.File("in.json")})
                .status,
            0);
  fs::create_directory(dir.File("sub"));
  fs::create_symlink("out.txt", dir.File("link"));
  fs::create_symlink("made.txt", dir.File("dangling"));
  const auto before = Snapshot(dir.path());
  // Each option with its file; the last two are one file.
  const std::vector<std::vector<std::string>> cases = {
      {"--output out.txt", "--report out.txt"},
      {"--password-file pw", "--output ./pw"},
      {"--output link", "--report " + dir.File("out.txt")},
      // Files not made yet: by where they would be made.
      {"--report new.html", "--output sub/../new.html"},
      {"--output dangling", "--report ./made.txt"},
      {"--tables-file names", "--output names"},
      {"--report in.json", "--report-from in.json"},
      {"--report r.html", "--report-from in.json",
       "--report-from sub/../in.json"},
  };
  for (const std::vector<std::string>& roles : cases) {
    std::vector<std::string> args;
    for (const std::string& role : roles) {
      args.push_back(role.substr(0, role.find(' ')));
      args.push_back(role.substr(role.find(' ') + 1));
    }
    if (args[2] != "--report-from") {
      args.insert(args.begin(), {"--database", "demo"});
    }
    const Result result = RunBatchProcess(args, "", dir.path().string());
    EXPECT_EQ(result.status, 2) << ::testing::PrintToString(roles);
    for (size_t i = roles.size() - 2; i < roles.size(); ++i) {
      EXPECT_NE(result.err.find(roles[i] + " "), std::string::npos)
          << result.err;
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

// Owner and table lists from files: a name or pattern a line, with LF or
// CR LF, blank lines and comment lines left out, added to --owners and
// --tables.
TEST(BatchFilesTest, FilterListsFromFiles) {
  const std::string header =
      "Schema\tTable\tCount\tPages\tComp Pages\t%Saved\tPage Size\r\n";
  const std::string currency = "finance\tcurrency\t6\t1\t1\t43\t2048\r\n";
  const std::string uom = "inventory\tuom_conversion\t7\t1\t1\t5\t2048\r\n";
  TempDir dir;
  WriteFileBytes(dir.File("tables"),
                 "# wanted\r\n  currency \r\n\r\n \t\n#uom_conversion\n");
  WriteFileBytes(dir.File("owners"), "fin%\n");
  Result result = RunBatchProcess({"--database", "demo", "--tables-file",
                                   dir.File("tables"), "--tables", "uom%"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, header + currency + uom);
  result = RunBatchProcess({"--database", "demo", "--owners-file",
                            dir.File("owners"), "--owners", "inventory",
                            "--tables", "currency,uom_conversion"});
  EXPECT_EQ(result.out, header + currency + uom) << result.err;
  result = RunBatchProcess({"--database", "demo", "--owners-file",
                            dir.File("owners"), "--tables-file",
                            dir.File("tables")});
  EXPECT_EQ(result.out, header + currency) << result.err;
  // Far more names than a command line holds.
  std::string many;
  for (int i = 0; i < 100000; ++i)
    many += "no_such_table_" + std::to_string(i) + "\n";
  WriteFileBytes(dir.File("many"), many + "currency\n");
  result = RunBatchProcess(
      {"--database", "demo", "--tables-file", dir.File("many")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, header + currency);
  // A file that names nothing would list every table; it is refused, as is
  // one that cannot be read.
  WriteFileBytes(dir.File("none"), "# nothing yet\n\n");
  for (const std::string& refused : {dir.File("none"), dir.File("missing")}) {
    result = RunBatchProcess({"--database", "demo", "--owners-file", refused});
    EXPECT_EQ(result.status, 2) << refused;
    EXPECT_NE(result.err.find(refused), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
}

}  // namespace
}  // namespace tce
