// --history in the command-line tool: opening the file, keeping each
// completed run as its database's worker ends it, and the commands that
// work on the file alone (--import, --prune, --list).
#ifndef TCE_APP_BATCH_HISTORY_H_
#define TCE_APP_BATCH_HISTORY_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/batch_options.h"
#include "base/status.h"
#include "history/history.h"

namespace tce {

// The exit status of a history failure (0 for success): a file this
// release cannot use is refused input, one it cannot read or write an
// output failure. The failure is said on standard error.
int HistoryFailure(const Status& status);

// Opens --history for `access`; the exit status.
int OpenHistory(const BatchOptions& options, History::Access access,
                std::unique_ptr<History>* history);

// --import, then --prune, then --list; the exit status.
int RunHistoryCommands(const BatchOptions& options);

// Keeps the completed runs of one invocation, each from its own worker on
// a connection of its own, so that databases ending at once all land.
class RunKeeper {
 public:
  RunKeeper(std::string path, size_t databases)
      : path_(std::move(path)), ids_(databases), failures_(databases) {}

  // Keeps a completed run (a failed one is not kept); thread-safe for
  // distinct indexes.
  void Keep(size_t index, const RunRecord& record);
  // The id the run of target `index` was kept as, or 0.
  int64_t id(size_t index) const { return ids_[index]; }
  // Says on standard error which runs were not kept and why; the exit
  // status of that (0 when every completed run was kept).
  int Report() const;

 private:
  std::string path_;
  std::vector<int64_t> ids_;
  std::vector<Status> failures_;
};

}  // namespace tce

#endif  // TCE_APP_BATCH_HISTORY_H_
