#include "support/batch_process.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <regex>

#include "base/text_file.h"

namespace tce::testing {

std::string ProgramDir() { return ExecutableDirectory(); }

Result RunBatchProcess(const std::vector<std::string>& args,
                       const std::string& input, const std::string& cwd) {
  int in[2], out[2], err[2];
  EXPECT_EQ(pipe(in), 0);
  EXPECT_EQ(pipe(out), 0);
  EXPECT_EQ(pipe(err), 0);
  const std::string program = ProgramDir() + "/tarvex-compest-batch";
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    if (chdir(cwd.c_str()) != 0) _exit(126);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
      argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  if (!input.empty()) {
    EXPECT_EQ(write(in[1], input.data(), input.size()),
              static_cast<ssize_t>(input.size()));
  }
  close(in[1]);
  Result result;
  // Standard error is small; read standard output first, then it.
  std::array<char, 65536> buffer;
  for (ssize_t n; (n = read(out[0], buffer.data(), buffer.size())) > 0;)
    result.out.append(buffer.data(), n);
  for (ssize_t n; (n = read(err[0], buffer.data(), buffer.size())) > 0;)
    result.err.append(buffer.data(), n);
  close(out[0]);
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Timeless(const std::string& text) {
  static const std::regex kTimes("\"(started|ended)\": \"[^\"]*\"");
  return std::regex_replace(text, kTimes, "\"$1\": \"\"");
}

}  // namespace tce::testing
