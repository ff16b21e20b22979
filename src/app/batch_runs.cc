#include "app/batch_runs.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "analysis/analysis.h"
#include "app/batch.h"
#include "app/batch_assembly.h"
#include "app/console.h"
#include "base/text_util.h"
#include "model/plan.h"
#include "output/results_output.h"

namespace tce {
namespace {

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

// Runs the analysis on an open connection into the run's record.
void Analyze(const BatchOptions& options, const Services& services,
             const OutputShape& shape, Connection& connection,
             const Reporter& reporter, DatabaseRun& run) {
  Status status = run.output->Open();
  if (!status.ok()) {
    run.write_failed = true;
    run.status = status;
    return;
  }
  JobProgress progress(run);
  RunResult result =
      RunAnalysis({connection, services.settings, services.statistics, reporter},
                  &progress, run.output.get());
  run.record = std::move(result.record);
  if (result.outcome == RunOutcome::kFailed) {
    run.write_failed = run.output->write_failed();
    run.status = result.status;
    return;
  }
  if (options.plan) run.record->plan = shape.rule;
  // The plan covers every table read, whatever the minimum saving.
  run.listed = options.plan ? !run.record->tables.empty()
                            : result.outcome == RunOutcome::kListed;
}

// Estimates one database on a connection of its own. What it says is kept
// for the end, so that several databases' lines never mix.
void EstimateDatabase(const BatchOptions& options, const Services& services,
                      const OutputShape& shape, const std::string& password,
                      bool several, DatabaseRun& run) {
  CollectingDesktop desktop;
  const Reporter reporter(services.settings, services.log, desktop);
  CliLibrary library(services.library.name());
  Connection connection(library, reporter);
  connection.Server = run.target.server;
  run.output = std::make_unique<DatabaseOutput>(
      shape, several ? run.target.name : std::string());
  if (!run.target.refused.empty()) {
    run.status = Status::Failure(run.target.refused);
  } else {
    run.status = connection.Connect(run.target.database, options.user,
                                    password, nullptr);
    run.connect_failed = !run.status.ok();
    if (run.status.ok()) {
      Analyze(options, services, shape, connection, reporter, run);
      connection.Disconnect();
    }
  }
  if (!run.status.ok() && !run.write_failed) ShowStatus(reporter, run.status);
  if (run.connect_failed) {
    desktop.lines.push_back("Connection failed.");
  } else if (!run.status.ok() && several && !run.write_failed &&
             run.target.refused.empty()) {
    desktop.lines.push_back("the estimate did not complete.");
  }
  run.messages = std::move(desktop.lines);
  if (run.record == nullptr || !run.status.ok()) {
    if (run.record == nullptr) run.record = std::make_shared<RunRecord>();
    run.record->database = run.target.name;
    run.record->server = {connection.ServerName, ""};
    std::string failure;
    for (const std::string& line : run.messages)
      failure += (failure.empty() ? "" : "\n") + line;
    run.record->failure = failure.empty() ? run.status.ToString() : failure;
    run.record->tables.clear();
    run.record->listed.clear();
  }
}

// Runs the databases, `jobs` at once and never more than `jobs` ahead of
// the first one not yet put into the output, showing on a terminal how
// many are done and how many tables are listed, by elapsed time.
class Scheduler {
 public:
  Scheduler(std::vector<std::unique_ptr<DatabaseRun>>& runs, int jobs)
      : runs_(runs), jobs_(static_cast<size_t>(jobs)) {}

  template <typename Estimate, typename Taken>
  void Run(Estimate estimate, Taken taken, ConsoleDesktop& desktop) {
    std::vector<std::thread> workers;
    for (size_t j = 0; j < jobs_; ++j) workers.emplace_back([&] { Work(estimate); });
    const bool terminal = isatty(STDERR_FILENO) != 0;
    std::unique_lock<std::mutex> lock(mutex_);
    while (taken_ < runs_.size()) {
      changed_.wait_for(lock, std::chrono::milliseconds(100));
      while (taken_ < runs_.size() && runs_[taken_]->done) {
        DatabaseRun& run = *runs_[taken_];
        lock.unlock();
        taken(run);
        lock.lock();
        ++taken_;
        changed_.notify_all();
      }
      if (terminal) desktop.ShowProgressLine(ProgressText());
    }
    lock.unlock();
    for (std::thread& worker : workers) worker.join();
    desktop.EndProgressLine();
  }

 private:
  template <typename Estimate>
  void Work(Estimate& estimate) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (next_ < runs_.size()) {
      if (next_ >= taken_ + jobs_) {
        changed_.wait(lock);
        continue;
      }
      DatabaseRun& run = *runs_[next_++];
      lock.unlock();
      estimate(run);
      lock.lock();
      run.done = true;
      ++done_;
      changed_.notify_all();
    }
  }

  std::string ProgressText() const {
    int tables = 0;
    for (const auto& run : runs_) tables += run->tables.load();
    if (runs_.size() == 1) return "Records: " + std::to_string(tables);
    return "Databases: " + std::to_string(done_) + " of " +
           std::to_string(runs_.size()) + ", Records: " + std::to_string(tables);
  }

  std::vector<std::unique_ptr<DatabaseRun>>& runs_;
  const size_t jobs_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t next_ = 0, taken_ = 0, done_ = 0;
};

}  // namespace

int JobsFor(const BatchOptions& options, size_t databases) {
  int jobs = options.jobs;
  if (jobs <= 0) {
    const unsigned cores = std::thread::hardware_concurrency();
    jobs = static_cast<int>(std::clamp(cores, 1u, 4u));
  }
  return static_cast<int>(std::min<size_t>(static_cast<size_t>(jobs),
                                           std::max<size_t>(databases, 1)));
}

int RunTargets(const BatchOptions& options, Services& services,
               ConsoleDesktop& desktop, const std::string& password,
               const std::vector<DatabaseTarget>& targets, Records* records,
               const RunFinished& finished) {
  const OutputShape shape = OutputShape::Of(options, services.settings);
  const bool several = targets.size() > 1;
  std::vector<std::unique_ptr<DatabaseRun>> runs;
  for (const DatabaseTarget& target : targets) {
    runs.push_back(std::make_unique<DatabaseRun>());
    runs.back()->index = runs.size() - 1;
    runs.back()->target = target;
  }
  OutputAssembly assembly(options, services.messages, shape, several);
  Status status = assembly.Open();
  if (!status.ok()) {
    std::fprintf(stderr, "tarvex-compest-batch: %s\n", status.ToString().c_str());
    return kBatchOutputFailed;
  }
  Scheduler(runs, JobsFor(options, runs.size()))
      .Run([&](DatabaseRun& run) {
             EstimateDatabase(options, services, shape, password, several, run);
             if (finished) finished(run.index, *run.record);
           },
           [&](DatabaseRun& run) { assembly.Take(run); }, desktop);
  for (const auto& run : runs) records->push_back(run->record);
  return assembly.Finish(runs, services.messages);
}

}  // namespace tce
