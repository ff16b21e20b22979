// tarvex-compest-batch as a user meets it beyond its output: passwords,
// configuration, signals at the prompt, help against the manual pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/text_file.h"
#include "support/app_fixture.h"
#include "support/batch_process.h"
#include "support/test_server.h"

namespace tce {
namespace {

using ::tce::testing::AppFixture;
using ::tce::testing::ProgramDir;
using ::tce::testing::Result;
using ::tce::testing::RunBatchProcess;
using ::tce::testing::ReadFileBytes;
using ::tce::testing::TempDir;
using ::tce::testing::TestServer;
using ::tce::testing::WriteFileBytes;

TEST(BatchTest, PasswordsFromAFileOrStandardInput) {
  TestServer server;
  auto& db = server.Database("secure");
  db.AddColumn(db.AddTable("o", "t", 10, 100, 2048), "c", 0, 10);
  db.AddUser("alice", "pa;ss word");
  server.Finish();
  const std::vector<std::string> base = {
      "--database", server.DatabasePath("secure"), "--user", "alice"};
  EXPECT_EQ(RunBatchProcess(base, "pa;ss word\nignored second line\n").status,
            0);
  EXPECT_EQ(RunBatchProcess(base, "pa;ss word\r\n").status, 0);
  EXPECT_EQ(RunBatchProcess(base, "wrong\n").status, 2);
  TempDir dir;
  WriteFileBytes(dir.File("pw"), "pa;ss word\n");
  std::vector<std::string> with_file = base;
  with_file.insert(with_file.end(), {"--password-file", dir.File("pw")});
  EXPECT_EQ(RunBatchProcess(with_file, "wrong\n").status, 0);  // the file wins
  // A password file that is missing, a folder, or holds a NUL byte is
  // refused before any connection.
  for (const std::string& bad : {dir.File("missing"), dir.path().string()}) {
    with_file.back() = bad;
    const Result refused = RunBatchProcess(with_file);
    EXPECT_EQ(refused.status, 2) << bad;
    EXPECT_NE(refused.err.find("cannot read the password file"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(refused.err.find("Login refused"), std::string::npos);
  }
  WriteFileBytes(dir.File("nul"), std::string("pa;ss word\0anything\n", 20));
  with_file.back() = dir.File("nul");
  const Result nul = RunBatchProcess(with_file);
  EXPECT_EQ(nul.status, 2);
  EXPECT_NE(nul.err.find("NUL byte"), std::string::npos) << nul.err;
}

TEST(BatchTest, AConfigurationOthersCanWriteLoadsNoLibrary) {
  TempDir dir;
  WriteFileBytes(dir.File("TarvexCompEst.ini"),
                 "DEBUG=ON\r\nCLILIB=/nonexistent/planted.so\r\n");
  std::filesystem::permissions(dir.File("TarvexCompEst.ini"),
                               std::filesystem::perms(0666));
  Result result = RunBatchProcess(
      {"--database", "demo", "--tables", "currency"}, "", dir.path().string());
  EXPECT_EQ(result.status, 0) << result.err;  // the embedded driver ran
  EXPECT_NE(result.err.find("CLILIB=/nonexistent/planted.so is ignored"),
            std::string::npos)
      << result.err;
  EXPECT_NE(ReadFileBytes(dir.File("TARVEXCOMPRESS.DBG")).find("is ignored"),
            std::string::npos);
  // The user's own file, that only the user can write, is obeyed.
  std::filesystem::permissions(dir.File("TarvexCompEst.ini"),
                               std::filesystem::perms(0644));
  result = RunBatchProcess({"--database", "demo"}, "", dir.path().string());
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("Allocation Error: /nonexistent/planted.so"),
            std::string::npos)
      << result.err;
}

// The prompt on a terminal: echo is off while it waits, and on again when
// the program is interrupted there.
TEST(BatchTest, ASignalAtThePasswordPromptRestoresTheTerminal) {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      const std::string program = ProgramDir() + "/tarvex-compest-batch";
      execl(program.c_str(), program.c_str(), "--database", "demo",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    std::string seen;
    char buffer[256];
    while (seen.find("Password: ") == std::string::npos) {
      const ssize_t n = read(master, buffer, sizeof buffer);
      ASSERT_GT(n, 0) << seen;
      seen.append(buffer, static_cast<size_t>(n));
    }
    termios during{};
    ASSERT_EQ(tcgetattr(master, &during), 0);
    EXPECT_EQ(during.c_lflag & ECHO, 0u);
    kill(pid, signal_number);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status));
    termios after{};
    ASSERT_EQ(tcgetattr(master, &after), 0);
    EXPECT_NE(after.c_lflag & ECHO, 0u) << "signal " << signal_number;
    close(master);
  }
}

// The options a text names: "--word" as written in --help, "\-\-word" as
// written in a manual page.
std::set<std::string> OptionsIn(std::string text) {
  for (size_t at = text.find("\\-"); at != std::string::npos;
       at = text.find("\\-", at)) {
    text.replace(at, 2, "-");
  }
  std::set<std::string> options;
  for (size_t at = text.find("--"); at != std::string::npos;
       at = text.find("--", at + 2)) {
    size_t end = at + 2;
    while (end < text.size() &&
           (std::isalnum(static_cast<unsigned char>(text[end])) ||
            text[end] == '-')) {
      ++end;
    }
    if (end > at + 2) options.insert(text.substr(at, end - at));
  }
  return options;
}

TEST(BatchTest, HelpAndTheManualPagesNameTheSameOptions) {
  const Result batch = RunBatchProcess({"--help"});
  EXPECT_EQ(batch.status, 0);
  const std::set<std::string> help = OptionsIn(batch.out);
  EXPECT_GE(help.size(), 18u);
  EXPECT_EQ(help,
            OptionsIn(ReadFileBytes(std::string(TCE_SOURCE_DIR) +
                                    "/packaging/man/tarvex-compest-batch.1")));
  const Result version = RunBatchProcess({"--version"});
  EXPECT_EQ(version.out, "tarvex-compest-batch 1.0.0\n");
  // The window program's two options.
  const std::string program = ProgramDir() + "/tarvex-compest --help";
  std::FILE* pipe = popen(program.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string windows_help;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
    windows_help += buffer;
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_EQ(OptionsIn(windows_help),
            (std::set<std::string>{"--help", "--version"}));
  EXPECT_EQ(OptionsIn(ReadFileBytes(std::string(TCE_SOURCE_DIR) +
                                    "/packaging/man/tarvex-compest.1")),
            (std::set<std::string>{"--help", "--version"}));
}

TEST(BatchTest, OutputFileAndConfiguration) {
  TempDir dir;
  WriteFileBytes(dir.File("TarvexCompEst.ini"), "DEBUG=ON\r\n");
  WriteFileBytes(dir.File("TarvexCompEst.msg"), "65,Tabelle\r\n");
  const Result result =
      RunBatchProcess({"--database", "demo", "--tables", "currency", "--output",
                       dir.File("out.txt")},
                      "", dir.path().string());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(ReadFileBytes(dir.File("out.txt")),
            "Schema\tTabelle\tCount\tPages\tComp Pages\t%Saved\tPage Size\r\n"
            "finance\tcurrency\t6\t1\t1\t43\t2048\r\n");
  EXPECT_NE(ReadFileBytes(dir.File("TARVEXCOMPRESS.DBG")).find("TarvexConnect"),
            std::string::npos);
  EXPECT_EQ(RunBatchProcess(
                {"--database", "demo", "--output", dir.File("no/dir/out.txt")})
                .status,
            74);
}

}  // namespace
}  // namespace tce
