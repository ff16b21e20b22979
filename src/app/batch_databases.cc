#include "app/batch_databases.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "output/file_writer.h"
#include "model/plan.h"
#include "output/result_writer.h"
#include "actions/results_actions.h"
#include "output/results_output.h"
#include "analysis/analysis.h"
#include "app/batch.h"
#include "app/batch_output.h"
#include "app/console.h"
#include "base/text_util.h"
#include "db/statement.h"

namespace tce {
namespace {

// One database's run, shared between its worker and the main thread.
struct DatabaseRun {
  DatabaseTarget target;
  std::unique_ptr<BatchOutput> output;
  std::shared_ptr<RunRecord> record;  // null when the run failed
  bool listed = false;                // something to write
  std::vector<std::string> messages;  // what it said, for standard error
  std::atomic<int> tables{0};         // listed so far, for the progress
};

class JobProgress : public RunProgress {
 public:
  explicit JobProgress(DatabaseRun& run) : run_(run) {}
  void Update(int, int tables_listed) override {
    run_.tables.store(tables_listed, std::memory_order_relaxed);
  }
  bool StopRequested() override { return false; }

 private:
  DatabaseRun& run_;
};

// Estimates one database on a connection of its own. Its messages are kept
// for the end, so that several databases' lines never mix.
void EstimateDatabase(const BatchOptions& options, const AppState& app,
                      const std::string& password, DatabaseRun& run) {
  CollectingDesktop desktop;
  const Reporter reporter(app.settings, app.log, desktop);
  CliLibrary library(app.library.name());
  Connection connection(library, reporter);
  connection.Server = run.target.server;
  Status status =
      connection.Connect(run.target.database, options.user, password, nullptr);
  if (!status.ok()) {
    ShowStatus(reporter, status);
    run.messages = std::move(desktop.lines);
    run.messages.push_back("Connection failed.");
    return;
  }
  run.output = std::make_unique<BatchOutput>(options, app, run.target.name);
  status = run.output->OpenSpool();
  if (status.ok()) {
    JobProgress progress(run);
    RunResult result =
        RunAnalysis({connection, app.settings, app.statistics, reporter},
                    &progress, run.output.get());
    if (result.outcome == RunOutcome::kFailed) {
      ShowStatus(reporter, result.status);
      desktop.lines.push_back("the estimate did not complete.");
    } else {
      run.listed = options.plan ? !result.record->tables.empty()
                                : result.outcome == RunOutcome::kListed;
      run.record = std::move(result.record);
    }
  } else {
    desktop.lines.push_back(status.ToString());
  }
  connection.Disconnect();
  run.messages = std::move(desktop.lines);
}

// Runs every database, `jobs` at once, showing on a terminal how many are
// done and how many tables are listed, by elapsed time.
void EstimateAll(const BatchOptions& options, const AppState& app,
                 ConsoleDesktop& desktop, const std::string& password,
                 std::vector<std::unique_ptr<DatabaseRun>>& runs, int jobs) {
  std::atomic<size_t> next{0};
  std::mutex mutex;
  std::condition_variable finished;
  size_t done = 0;
  auto work = [&] {
    for (size_t i; (i = next.fetch_add(1)) < runs.size();) {
      EstimateDatabase(options, app, password, *runs[i]);
      std::lock_guard<std::mutex> lock(mutex);
      ++done;
      finished.notify_one();
    }
  };
  std::vector<std::thread> workers;
  for (int j = 0; j < jobs; ++j) workers.emplace_back(work);
  const bool terminal = isatty(STDERR_FILENO) != 0;
  std::unique_lock<std::mutex> lock(mutex);
  while (done < runs.size()) {
    finished.wait_for(lock, std::chrono::milliseconds(100));
    if (!terminal) continue;
    int tables = 0;
    for (const auto& run : runs) tables += run->tables.load();
    desktop.ShowProgressLine("Databases: " + std::to_string(done) + " of " +
                             std::to_string(runs.size()) +
                             ", Records: " + std::to_string(tables));
  }
  lock.unlock();
  for (std::thread& worker : workers) worker.join();
  desktop.EndProgressLine();
}

// The output of several databases: JSON, one document per database in a
// "databases" list (a failed one names its error); delimited, one list of
// tables (or plan lines) and one of columns, every line with its database
// first.
Status WriteOutput(const BatchOptions& options, const AppState& app,
                   std::vector<std::unique_ptr<DatabaseRun>>& runs) {
  FileWriter file;
  if (options.output) {
    Status status = file.Open(*options.output);
    if (!status.ok()) return status;
  } else {
    file.OpenStandardOutput();
  }
  const ExportFormat format = options.json
                                  ? ExportFormat::kJson
                                  : DelimitedFormat(app.settings.TabDelimited);
  if (format == ExportFormat::kJson) {
    file.Write("{\n\"databases\": [\n");
    bool first = true;
    for (const auto& run : runs) {
      if (!first) file.Write(",\n");
      first = false;
      if (run->record == nullptr) {
        std::string error;
        for (const std::string& line : run->messages)
          error += (error.empty() ? "" : "\n") + line;
        file.Write("{\"database\": " + JsonString(run->target.name) +
                   ", \"error\": " + JsonString(error) + "}\n");
        continue;
      }
      const auto writer = ResultWriter::Make(format, file);
      run->output->WriteDocument(*writer, run->record);
    }
    file.Write("]\n}\n");
  } else {
    const auto writer = ResultWriter::Make(format, file);
    writer->SetLead("Database", "");
    if (options.plan) {
      writer->BeginList("tables", PlanHeaderTexts());
    } else {
      writer->BeginList("tables", ResultsHeaderTexts(app.messages,
                                                     app.settings.ShowPageSavings
                                                         ? SizeUnit::kPages
                                                         : SizeUnit::kKilobytes));
    }
    for (const auto& run : runs) {
      if (run->record == nullptr) continue;
      writer->SetLead("Database", run->target.name);
      run->output->WriteTableRecords(*writer, run->record);
    }
    writer->EndList();
    if (options.columns) {
      writer->SetLead("Database", "");
      writer->BeginList("columns",
                        ColumnHeaderTexts(app.messages, options.explain));
      for (const auto& run : runs) {
        if (run->record != nullptr) run->output->WriteColumnRecords(*writer);
      }
      writer->EndList();
    }
  }
  return file.Commit();
}

}  // namespace

int JobsFor(const BatchOptions& options, size_t databases) {
  int jobs = options.jobs;
  if (jobs <= 0) {
    const unsigned cores = std::thread::hardware_concurrency();
    jobs = static_cast<int>(std::clamp(cores, 1u, 4u));
  }
  return static_cast<int>(
      std::min<size_t>(static_cast<size_t>(jobs), std::max<size_t>(databases, 1)));
}

Status ChooseDatabases(const BatchOptions& options, AppState& app,
                       const std::string& password,
                       std::vector<DatabaseTarget>* targets,
                       bool* connect_failed) {
  *connect_failed = false;
  auto add = [&](DatabaseTarget target) {
    for (const DatabaseTarget& known : *targets) {
      if (ToUpperAscii(known.name) == ToUpperAscii(target.name) &&
          known.server == target.server)
        return;
    }
    targets->push_back(std::move(target));
  };
  if (options.all_databases) {
    Status status = app.connection.Connect(options.database, options.user,
                                           password, nullptr);
    if (!status.ok()) {
      *connect_failed = true;
      return status;
    }
    std::vector<std::string> names;
    Statement statement(app.connection);
    status = statement.ExecuteStatement("SELECT NAME FROM SYSMASTER:SYSDATABASES");
    for (bool has_row = status.ok(); status.ok() && has_row;) {
      status = statement.FetchRow(has_row);
      if (status.ok() && has_row && !statement.StatementResult(1).empty())
        names.push_back(statement.StatementResult(1));
    }
    app.connection.Disconnect();
    if (!status.ok()) {
      status.AddMessage("The server of " + options.database +
                        " does not list its databases.");
      return status;
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) {
                return ToUpperAscii(a) < ToUpperAscii(b);
              });
    // A database given by its path names its server's folder; a name is
    // one of the default server's.
    std::string server;
    if (options.database.find('/') != std::string::npos) {
      std::error_code code;
      const std::filesystem::path folder =
          std::filesystem::absolute(options.database, code).parent_path();
      server = folder.lexically_normal().string();
    }
    for (const std::string& name : names) add({name, name, server});
  }
  for (size_t i = options.all_databases ? 1 : 0; i < options.databases.size();
       ++i) {
    add({options.databases[i], options.databases[i], ""});
  }
  return Status();
}

int RunDatabases(const BatchOptions& options, AppState& app,
                 ConsoleDesktop& desktop, const std::string& password,
                 const std::vector<DatabaseTarget>& targets,
                 std::vector<DatabaseOutcome>* outcomes) {
  std::vector<std::unique_ptr<DatabaseRun>> runs;
  for (const DatabaseTarget& target : targets) {
    runs.push_back(std::make_unique<DatabaseRun>());
    runs.back()->target = target;
  }
  EstimateAll(options, app, desktop, password, runs,
              JobsFor(options, runs.size()));
  size_t failed = 0;
  bool listed = false;
  for (const auto& run : runs) {
    if (run->record == nullptr) {
      ++failed;
      std::fprintf(stderr, "tarvex-compest-batch: database %s failed:\n",
                   run->target.name.c_str());
      for (const std::string& line : run->messages)
        std::fprintf(stderr, "  %s\n", line.c_str());
    }
    listed = listed || run->listed;
    std::string error;
    for (const std::string& line : run->messages)
      error += (error.empty() ? "" : " ") + line;
    outcomes->push_back({run->target.name, run->record, error});
  }
  if (failed == runs.size()) {
    std::fprintf(stderr,
                 "tarvex-compest-batch: every database failed; nothing was "
                 "written.\n");
    return kBatchQueryFailed;
  }
  if (!listed) {
    std::fprintf(stderr, "%s\n", app.messages[Msg::kNothingFound].c_str());
    return failed > 0 ? kBatchSomeDatabasesFailed : kBatchNothingListed;
  }
  if (!options.report || options.output) {
    const Status status = WriteOutput(options, app, runs);
    if (!status.ok()) {
      std::fprintf(stderr, "tarvex-compest-batch: %s\n",
                   status.ToString().c_str());
      return kBatchOutputFailed;
    }
  }
  if (options.summary) {
    for (const auto& run : runs) {
      if (run->record == nullptr) continue;
      const std::string summary =
          options.plan
              ? PlanSummary(Plan(run->record, {options.plan_margin,
                                               options.plan_threshold})
                                .totals())
              : TotalsLine(TotalsOf(*run->record)) + "\n";
      std::fprintf(stderr, "%s: %s", run->target.name.c_str(),
                   summary.c_str());
    }
  }
  return failed > 0 ? kBatchSomeDatabasesFailed : kBatchListed;
}

}  // namespace tce
