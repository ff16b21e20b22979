// Times the history of runs on runs made in memory, with the magnitudes of
// real catalogs (rows to tens of millions, four-decimal row lengths):
//
//   history_bench DIR [RUNS]
//       a history file in DIR: RUNS (6) runs of 100,000 tables appended
//       (each a little changed from the one before), the best time of an
//       append after the first, the file's growth per run after the first
//       (the names are kept once, by the first), the best time to
//       compare a run with the last kept before it (read back and
//       compared), wall clock and CPU time; then 365 runs of 20,000
//       tables and the best time of the trend over them
//   history_bench DIR RUNS append
//       the first part alone
//
// Results are printed as "NAME VALUE" lines.
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "history/history.h"
#include "history/since.h"
#include "history/trend.h"
#include "model/figures.h"

namespace {

using tce::bench::Clock;
using tce::bench::Millis;
using tce::bench::ThreadCpuMillis;

// The best of several: the time least disturbed by what else the machine
// does.
double Best(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

long long FileBytes(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_size : 0;
}

// Run `index` of a database of `count` tables: every tenth table grows
// from run to run, a few are dropped and added.
std::shared_ptr<tce::RunRecord> MakeRun(int count, int index) {
  auto run = std::make_shared<tce::RunRecord>();
  run->database = "bench";
  run->server = {"/srv/tarvex/bench-server", "bench-host"};
  run->server_version = "11.70.FC3";
  run->started = std::chrono::system_clock::time_point(
      std::chrono::hours(24 * (20000 + index)));
  run->ended = run->started + std::chrono::minutes(3);
  std::mt19937 random(static_cast<unsigned>(count));
  const int first = index % 50;  // tables 0..first-1 are gone by now
  for (int i = 0; i < count + first; ++i) {
    const long long rows = 1000 + random() % 20000000;
    const long long pages = rows / (1 + random() % 40) + 1;
    const long long width = 400000 + random() % 15000000;  // 40 to 1540 bytes
    const int full = static_cast<int>(random() % 12);
    const int sampled = static_cast<int>(random() % 8);
    if (i < first) continue;
    tce::TableRecord t;
    t.owner = "owner" + std::to_string(i % 37);
    t.table = "table_" + std::to_string(i);
    const long long grown = i % 10 == 0 ? index * 1000LL : 0;
    t.row_count = tce::Fixed4::FromRaw((rows + grown * 10) * 10000);
    t.pages_used = tce::Fixed4::FromRaw((pages + grown) * 10000);
    t.page_size = i % 3 == 0 ? 4096 : 2048;
    t.row_length = tce::Fixed4::FromRaw(width);
    t.compressed_length = {tce::Fixed4::FromRaw(width * 6 / 10),
                           tce::Fixed4::FromRaw(width * 4 / 10)};
    t.basis = {full, sampled, i % 2};
    run->tables.push_back(std::move(t));
    if (tce::ReachesMinimum(run->tables.back(), run->settings))
      run->listed.push_back(static_cast<int32_t>(run->tables.size() - 1));
  }
  return run;
}

bool Keep(tce::History& history, const tce::RunRecord& run) {
  int64_t id = 0;
  bool added = false;
  const tce::Status status = history.Keep(run, &id, &added);
  if (!status.ok()) std::fprintf(stderr, "%s\n", status.ToString().c_str());
  return status.ok() && added;
}

std::unique_ptr<tce::History> Open(const std::string& path) {
  std::unique_ptr<tce::History> history;
  const tce::Status status = tce::History::Open(path, &history);
  if (!status.ok()) std::fprintf(stderr, "%s\n", status.ToString().c_str());
  return history;
}

int AppendAndCompare(const std::string& dir, int runs) {
  const std::string path = dir + "/history-100k.db";
  std::vector<double> append, compare, append_cpu, compare_cpu;
  long long after_first = 0;
  for (int i = 0; i < runs; ++i) {
    const auto run = MakeRun(100000, i);
    auto history = Open(path);
    if (!history) return 1;
    const auto start = Clock::now();
    const double cpu = ThreadCpuMillis();
    if (!Keep(*history, *run)) return 1;
    if (i > 0) {
      append.push_back(Millis(start));
      append_cpu.push_back(ThreadCpuMillis() - cpu);
      const auto since = Clock::now();
      const double since_cpu = ThreadCpuMillis();
      tce::SinceResult result;
      if (!tce::ChangesSince(*history, run, tce::Since{}, tce::PlanRule(), &result)
               .ok() || !result.found)
        return 1;
      compare.push_back(Millis(since));
      compare_cpu.push_back(ThreadCpuMillis() - since_cpu);
      if (i == 1)
        std::printf("changes-100k %zu\n", result.changes.tables.size());
    }
    history.reset();  // the last connection folds the log into the file
    if (i == 0) after_first = FileBytes(path);
  }
  std::printf("history-kb-first-run-100k %lld\n", after_first / 1024);
  std::printf("history-append-ms-100k %.0f\n", Best(append));
  std::printf("history-compare-ms-100k %.0f\n", Best(compare));
  std::printf("history-append-cpu-ms-100k %.0f\n", Best(append_cpu));
  std::printf("history-compare-cpu-ms-100k %.0f\n", Best(compare_cpu));
  std::printf("history-kb-per-run-100k %lld\n",
              (FileBytes(path) - after_first) / 1024 / (runs - 1));
  return 0;
}

int Trend(const std::string& dir) {
  const std::string path = dir + "/history-365x20k.db";
  auto history = Open(path);
  if (!history) return 1;
  std::shared_ptr<tce::RunRecord> last;
  for (int i = 0; i < 365; ++i) {
    last = MakeRun(20000, i);
    if (!Keep(*history, *last)) return 1;
  }
  history.reset();
  std::vector<double> times;
  for (int i = 0; i < 5; ++i) {
    const auto start = Clock::now();
    auto reopened = Open(path);
    std::vector<tce::TrendPoint> points;
    if (!reopened || !tce::TrendOf(*reopened, *last, &points).ok() ||
        points.size() != 365)
      return 1;
    times.push_back(Millis(start));
  }
  std::printf("history-trend-ms-365x20k %.1f\n", Best(times));
  std::printf("history-mb-365x20k %lld\n", FileBytes(path) >> 20);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: history_bench DIR [RUNS]\n");
    return 64;
  }
  const int runs = argc > 2 ? std::max(2, std::atoi(argv[2])) : 6;
  if (AppendAndCompare(argv[1], runs) != 0) return 1;
  if (argc > 3 && std::string(argv[3]) == "append") return 0;
  return Trend(argv[1]);
}
