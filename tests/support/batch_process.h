// Runs the command-line tool as a user runs it: a process, its output and
// its exit status.
#ifndef TCE_TESTS_SUPPORT_BATCH_PROCESS_H_
#define TCE_TESTS_SUPPORT_BATCH_PROCESS_H_

#include <string>
#include <vector>

namespace tce::testing {

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// The folder of the programs (the test's own).
std::string ProgramDir();

// Runs tarvex-compest-batch with `args`, feeding `input` to its standard
// input, in the directory `cwd`.
Result RunBatchProcess(const std::vector<std::string>& args,
                       const std::string& input = "",
                       const std::string& cwd = ".");

// A JSON output with its runs' start and end blanked: two runs of the same
// catalog differ in them alone.
std::string Timeless(const std::string& text);

}  // namespace tce::testing

#endif  // TCE_TESTS_SUPPORT_BATCH_PROCESS_H_
