// Puts the command-line tool's output together from the databases' runs,
// taken in the targets' order as each ends: one run's document or lists,
// or several databases' in one (JSON: a "databases" list of documents, a
// failed database named with its error; delimited: one list of tables and
// one of columns, each line with its database first). Everything goes
// through the one file writer, so a run that writes nothing leaves an
// existing output as it was.
#ifndef TCE_APP_BATCH_ASSEMBLY_H_
#define TCE_APP_BATCH_ASSEMBLY_H_

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/batch_options.h"
#include "app/batch_output.h"
#include "app/batch_targets.h"
#include "output/file_writer.h"

namespace tce {

// One database's run, shared between its worker and the main thread.
struct DatabaseRun {
  size_t index = 0;  // among the targets
  DatabaseTarget target;
  std::unique_ptr<DatabaseOutput> output;
  std::shared_ptr<RunRecord> record;  // set when the run is done
  Status status;                      // why it failed
  bool listed = false;                // something to write
  bool connect_failed = false;
  bool write_failed = false;  // its column lines could not be kept
  std::vector<std::string> messages;  // what it said
  std::atomic<int> tables{0};         // listed so far, for the progress
  bool done = false;                  // guarded by the scheduler
};

class OutputAssembly {
 public:
  OutputAssembly(const BatchOptions& options, const MessageTable& messages,
                 const OutputShape& shape, bool several);
  ~OutputAssembly();

  // Opens the output (unless the report alone is written).
  Status Open();
  // Puts a finished run into the output and lets its column lines go.
  void Take(DatabaseRun& run);
  // Ends the output, puts it in place and says what went wrong; the exit
  // status.
  int Finish(const std::vector<std::unique_ptr<DatabaseRun>>& runs,
             const MessageTable& messages);

 private:
  int FinishOne(const DatabaseRun& run, const MessageTable& messages);
  int FinishSeveral(const std::vector<std::unique_ptr<DatabaseRun>>& runs,
                    const MessageTable& messages);
  void WriteDelimitedLists(
      const std::vector<std::unique_ptr<DatabaseRun>>& runs);
  int Commit();
  void Summary(const std::vector<std::unique_ptr<DatabaseRun>>& runs) const;

  const BatchOptions& options_;
  const MessageTable& messages_;
  const OutputShape& shape_;
  const bool several_;
  const bool write_list_;
  FileWriter file_;
  int64_t documents_ = 0;
  // Several databases' column lines, delimited: gathered in order.
  std::FILE* columns_ = nullptr;
  std::unique_ptr<StreamSink> columns_sink_;
  std::unique_ptr<ResultWriter> columns_writer_;
};

}  // namespace tce

#endif  // TCE_APP_BATCH_ASSEMBLY_H_
