// Times the analysis run on large generated catalogs against SQLite alone,
// and the command-line tool as a user runs it.
//
//   catalog_bench generate DIR [TABLES] [COLUMNS_PER_TABLE] [DATABASES]
//       a server of DATABASES (1) databases: bench, bench2, ...
//   catalog_bench compare DIR [RUNS]
//       SQLite's C API executing the catalog query and reading every
//       value (opened by default, and opened as the driver opens it),
//       against the analysis run through the driver library into the
//       grids, interleaved in one process; best of RUNS (7) each, and the
//       median of the ratios of runs side by side
//   catalog_bench analysis DIR [MIN_PCT] [REPORT_LABEL]
//       the analysis run alone, best of three, with the peak memory; with
//       a label, the time and size of its HTML report
//   catalog_bench databases DIR PROGRAM [RUNS] [DATABASES]
//       tarvex-compest-batch --all-databases --jobs 2 against the sum of
//       the single databases' runs
//   catalog_bench batch DIR PROGRAM [RUNS]
//       tarvex-compest-batch: --columns and --plan against the plain run,
//       --columns --explain against --columns, the same in JSON, and with
//       standard error on a terminal against redirected; interleaved
//   catalog_bench batch-memory DIR PROGRAM
//       the peak memory of tarvex-compest-batch --columns
//
// Results are printed as "NAME VALUE" lines; ratios as "ratio NAME VALUE".
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "bench_clock.h"
#include "catalog_builder.h"
#include "db/catalog_query.h"
#include "db/statement.h"
#include "dialect.h"
#include "output/file_writer.h"
#include "output/report.h"
#include "wizard/app_state.h"

namespace {

// The run without windows: nothing to show, no events to process.
class NoDesktop : public tce::DesktopPort {
 public:
  void ShowMessageBox(const std::string&, const std::string&) override {}
  std::optional<std::string> AskSaveFileName(
      tce::SaveDialog, const std::optional<std::string>&,
      tce::ExportFormat) override {
    return std::nullopt;
  }
  void SetWaitCursor(bool) override {}
  void ProcessPendingEvents() override {}
  void* DialogOwnerWindow() override { return nullptr; }
};

using tce::bench::Clock;
using tce::bench::Millis;
using tce::bench::ThreadCpuMillis;

// Wall and CPU milliseconds of one call.
struct Timing {
  double wall = 1e30;
  double cpu = 1e30;
  void Best(const Timing& other) {
    wall = std::min(wall, other.wall);
    cpu = std::min(cpu, other.cpu);
  }
};

template <typename F>
Timing Time(F&& f) {
  const auto start = Clock::now();
  const double cpu = ThreadCpuMillis();
  f();
  return {Millis(start), ThreadCpuMillis() - cpu};
}

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The database "bench" (the first) or "bench<N>" of a generated server.
std::string BenchDatabase(const std::string& dir, int index) {
  return dir + "/bench" + (index == 0 ? "" : std::to_string(index + 1)) + ".db";
}

int GenerateDatabase(const std::string& path, int seed, int tables,
                     int columns_per_table);

int Generate(const std::string& dir, int tables, int columns_per_table,
             int databases = 1) {
  std::string error;
  if (!tvcli::CreateServer(dir, "11.70", 2048, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  for (int d = 0; d < databases; ++d) {
    if (GenerateDatabase(BenchDatabase(dir, d), 42 + d, tables,
                         columns_per_table) != 0)
      return 1;
  }
  std::printf("generated %d x %d tables, %d columns each\n", databases,
              tables, columns_per_table);
  return 0;
}

int GenerateDatabase(const std::string& path, int seed, int tables,
                     int columns_per_table) {
  std::string error;
  tvcli::DatabaseBuilder db(path);
  std::mt19937 random(static_cast<unsigned>(seed));
  struct Type {
    int code;
    int length;
  };
  const Type types[] = {{0, 8}, {0, 40},  {13, 2660}, {2, 4},   {1, 2},
                        {6, 4}, {52, 8},  {5, 4098},  {7, 4},   {10, 3594},
                        {3, 8}, {16, 60}, {40, 1000}, {12, 56}, {19, 60}};
  const char* owners[] = {"sales", "finance", "hr", "inventory", "Audit"};
  for (int t = 0; t < tables; ++t) {
    const long long rows = t % 97 == 0 ? 0 : 1000 + random() % 5000000;
    const long long pages = rows / 20 + 1;
    const int tabid = db.AddTable(owners[t % 5], "table_" + std::to_string(t),
                                  pages, rows, 2048 << (t % 3));
    for (int c = 0; c < columns_per_table; ++c) {
      const Type& type = types[random() % std::size(types)];
      const int colno = db.AddColumn(tabid, "column_" + std::to_string(c),
                                     type.code, type.length);
      if (rows > 0 && random() % 10 < 8) {
        const long long d = 1 + random() % std::max<long long>(rows, 1);
        const long long s = std::min<long long>(rows, 40000);
        const long long dd = std::min(d, s);
        db.AddDistribution(tabid, colno,
                           "TVD1;s=" + std::to_string(s) +
                               ";d=" + std::to_string(dd) +
                               ";f1=" + std::to_string(dd / 3) + ";bins=0");
      }
    }
  }
  if (!db.Finish(&error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}

// The catalog query exactly as the driver hands it to SQLite.
std::string CatalogQuery() {
  tce::RunSettings settings;
  return tvcli::TranslateStatement(
      tce::ResolveSqlMarkers(
          tce::BuildCatalogQuery("", "", "T.PAGESIZE", settings), true),
      "bench");
}

// SQLite alone: executes the query and reads every value of every row, as
// any consumer of the rows must.
double RunSqlite(sqlite3* db, const std::string& sql, long* rows) {
  const auto start = Clock::now();
  sqlite3_stmt* vm = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &vm, nullptr);
  *rows = 0;
  const int columns = sqlite3_column_count(vm);
  size_t bytes = 0;
  while (sqlite3_step(vm) == SQLITE_ROW) {
    ++*rows;
    for (int c = 0; c < columns; ++c) {
      sqlite3_column_text(vm, c);
      bytes += static_cast<size_t>(sqlite3_column_bytes(vm, c));
    }
  }
  if (bytes == 1) std::printf(" ");  // keep the reads
  sqlite3_finalize(vm);
  return Millis(start);
}

// The analysis run into both grids, as the windows hold its result.
double RunAnalysisOnce(tce::AppState& app, size_t* listed) {
  const auto start = Clock::now();
  const tce::RunResult result = tce::RunAnalysis(
      {app.connection, app.settings, app.statistics, app.reporter}, nullptr,
      nullptr);
  app.models.results_grid.Show(result.record);
  app.models.large_grid.Show(result.record);
  *listed = result.record->listed.size();
  return Millis(start);
}

bool OpenApp(tce::AppState& app, const std::string& dir) {
  app.messages.LoadBuiltInTexts();
  app.BuildStatistics();
  const tce::Status status =
      app.connection.Connect(dir + "/bench.db", "", "", nullptr);
  if (!status.ok()) std::fprintf(stderr, "%s\n", status.ToString().c_str());
  return status.ok();
}

int Compare(const std::string& dir, int runs) {
  // SQLite as a program opens it by default (every call locked), and as
  // the driver opens it (one thread at a time, no locks).
  sqlite3* plain = nullptr;
  sqlite3* unlocked = nullptr;
  const std::string path = dir + "/bench.db";
  if (sqlite3_open_v2(path.c_str(), &plain, SQLITE_OPEN_READONLY, nullptr) !=
          SQLITE_OK ||
      sqlite3_open_v2(path.c_str(), &unlocked,
                      SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK) {
    return 1;
  }
  NoDesktop desktop;
  tce::AppState app(desktop, "/dev/null");
  if (!OpenApp(app, dir)) return 1;
  const std::string sql = CatalogQuery();
  Timing sqlite, sqlite_unlocked, analysis;
  long rows = 0;
  size_t listed = 0;
  // Each analysis beside the SQLite runs just before it: a shared
  // machine's load changes less within a trio than over the whole run.
  std::vector<double> paired, paired_unlocked;
  for (int run = 0; run < runs; ++run) {
    const Timing alone = Time([&] { RunSqlite(plain, sql, &rows); });
    const Timing alone_unlocked =
        Time([&] { RunSqlite(unlocked, sql, &rows); });
    const Timing full = Time([&] { RunAnalysisOnce(app, &listed); });
    sqlite.Best(alone);
    sqlite_unlocked.Best(alone_unlocked);
    analysis.Best(full);
    paired.push_back(full.cpu / alone.cpu);
    paired_unlocked.push_back(full.cpu / alone_unlocked.cpu);
  }
  sqlite3_close(plain);
  sqlite3_close(unlocked);
  auto median = [](std::vector<double>& ratios) {
    std::sort(ratios.begin(), ratios.end());
    return ratios[ratios.size() / 2];
  };
  std::printf("sqlite-read-ms %.1f (cpu %.1f; %ld rows)\n", sqlite.wall,
              sqlite.cpu, rows);
  std::printf("sqlite-read-unlocked-ms %.1f (cpu %.1f)\n",
              sqlite_unlocked.wall, sqlite_unlocked.cpu);
  std::printf("analysis-ms %.1f (cpu %.1f; %zu tables)\n", analysis.wall,
              analysis.cpu, listed);
  std::printf("ratio analysis-vs-sqlite-read %.2f\n",
              analysis.wall / sqlite.wall);
  std::printf("ratio analysis-vs-sqlite-read-paired %.2f\n", median(paired));
  std::printf("ratio analysis-vs-sqlite-read-unlocked %.2f\n",
              analysis.wall / sqlite_unlocked.wall);
  std::printf("ratio analysis-vs-sqlite-read-unlocked-paired %.2f\n",
              median(paired_unlocked));
  return 0;
}

const std::string& ScratchOutput();

// The report of the last run: made and written, its time and size.
void TimeReport(tce::AppState& app, const std::string& label) {
  const auto record = app.models.results_grid.shared_record();
  double best = 1e30;
  size_t bytes = 0;
  for (int run = 0; run < 3; ++run) {
    const auto start = Clock::now();
    const std::string html = tce::ReportHtml({record}, app.messages);
    tce::FileWriter file;
    if (!file.Open(ScratchOutput()).ok()) std::exit(1);
    file.Write(html);
    if (!file.Commit().ok()) std::exit(1);
    best = std::min(best, Millis(start));
    bytes = html.size();
  }
  std::printf("report-ms-%s %.0f\nreport-kb-%s %zu\n", label.c_str(), best,
              label.c_str(), bytes / 1024);
}

int TimeAnalysis(const std::string& dir, int min_pct, const char* label) {
  NoDesktop desktop;
  tce::AppState app(desktop, "/dev/null");
  if (!OpenApp(app, dir)) return 1;
  app.settings.MinCompressionPct = static_cast<int16_t>(min_pct);
  double best = 1e30;
  size_t listed = 0;
  for (int run = 0; run < 3; ++run) {
    best = std::min(best, RunAnalysisOnce(app, &listed));
  }
  std::printf("analysis tables_listed=%zu best_ms=%.1f peak_rss_kb=%ld\n",
              listed, best, PeakRssKb());
  if (label != nullptr) TimeReport(app, label);
  return 0;
}

// Where a measured program's standard output goes.
const std::string& ScratchOutput() {
  static const std::string path = [] {
    // In memory where there is such a folder: a disk's writing back of
    // earlier runs' output would land on later runs.
    std::string pattern = access("/dev/shm", W_OK) == 0
                              ? "/dev/shm/catalog_bench_out.XXXXXX"
                              : "/tmp/catalog_bench_out.XXXXXX";
    char* name = pattern.data();
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    return std::string(name);
  }();
  // Registered once the path is made, so that it is removed before the
  // path itself goes.
  [[maybe_unused]] static const bool removed_at_exit = [] {
    std::atexit([] { std::remove(path.c_str()); });
    return true;
  }();
  return path;
}

struct ProcessRun {
  double ms = 0;
  long peak_kb = 0;
  int status = -1;
  long output_bytes = 0;  // what it wrote to standard output
};

// Runs the program with standard input on /dev/null, standard output into a
// scratch file (its size is kept) and standard error on a terminal when
// `terminal`, else on /dev/null. A program that does not end with
// `expected_status`, or that writes nothing when it should write something
// (status 0), fails the benchmark: a figure of a run that failed means
// nothing.
ProcessRun RunProcess(const std::vector<std::string>& args, bool terminal,
                      int expected_status = 0);

ProcessRun RunProcessOnce(const std::vector<std::string>& args, bool terminal) {
  const std::string& output_path = ScratchOutput();  // made before the fork
  // The previous run's output goes before the clock starts: truncating it
  // would be charged to this run.
  unlink(output_path.c_str());
  int master = -1, slave = -1;
  if (terminal && openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
    return {};
  }
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_RDWR);
    const int out = open(output_path.c_str(),
                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(null, 0);
    dup2(out, 1);
    dup2(terminal ? slave : null, 2);
    std::vector<char*> argv;
    for (const std::string& arg : args)
      argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (terminal) close(slave);
  ProcessRun run;
  rusage usage{};
  while (true) {
    if (terminal) {
      // What the program writes to its terminal is read and dropped.
      pollfd fd{master, POLLIN, 0};
      if (poll(&fd, 1, 50) > 0) {
        char buffer[4096];
        if (read(master, buffer, sizeof buffer) < 0) {
        }
      }
    }
    const pid_t done = wait4(pid, &run.status, terminal ? WNOHANG : 0, &usage);
    if (done == pid) break;
  }
  run.ms = Millis(start);
  run.peak_kb = usage.ru_maxrss;
  if (terminal) close(master);
  struct stat output {};
  if (stat(output_path.c_str(), &output) == 0) run.output_bytes = output.st_size;
  return run;
}

ProcessRun RunProcess(const std::vector<std::string>& args, bool terminal,
                      int expected_status) {
  const ProcessRun run = RunProcessOnce(args, terminal);
  const int status = WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -1;
  if (status != expected_status ||
      (expected_status == 0 && run.output_bytes == 0)) {
    std::string command;
    for (const std::string& arg : args) command += arg + " ";
    std::fprintf(stderr,
                 "catalog_bench: %sended with status %d and wrote %ld bytes "
                 "(expected status %d%s)\n",
                 command.c_str(), status, run.output_bytes, expected_status,
                 expected_status == 0 ? " and some output" : "");
    std::exit(1);
  }
  return run;
}

int Batch(const std::string& dir, const std::string& program, int runs) {
  const std::vector<std::string> plain = {program, "--database",
                                          dir + "/bench.db"};
  std::vector<std::string> columns = plain;
  columns.push_back("--columns");
  std::vector<std::string> plan = plain;
  plan.push_back("--plan");
  // --explain against the same output without it: every column's fields,
  // delimited (the tool's own format) and in JSON.
  std::vector<std::string> explain_columns = columns;
  explain_columns.push_back("--explain");
  std::vector<std::string> json_columns = plain;
  json_columns.insert(json_columns.end(), {"--columns", "--json"});
  std::vector<std::string> explain = json_columns;
  explain.push_back("--explain");
  std::vector<std::string> listing_nothing = plain;
  listing_nothing.insert(listing_nothing.end(), {"--min-compression", "100"});
  double best_plain = 1e30, best_columns = 1e30, best_plan = 1e30;
  double best_json_columns = 1e30, best_explain = 1e30,
         best_explain_columns = 1e30;
  double best_terminal = 1e30, best_redirected = 1e30;
  for (int run = 0; run < runs; ++run) {
    best_plain = std::min(best_plain, RunProcess(plain, false).ms);
    best_columns = std::min(best_columns, RunProcess(columns, false).ms);
    best_plan = std::min(best_plan, RunProcess(plan, false).ms);
    best_json_columns =
        std::min(best_json_columns, RunProcess(json_columns, false).ms);
    best_explain = std::min(best_explain, RunProcess(explain, false).ms);
    best_explain_columns =
        std::min(best_explain_columns, RunProcess(explain_columns, false).ms);
    // Listing nothing ends with status 1.
    best_redirected =
        std::min(best_redirected, RunProcess(listing_nothing, false, 1).ms);
    best_terminal =
        std::min(best_terminal, RunProcess(listing_nothing, true, 1).ms);
  }
  std::printf("batch-ms %.1f\nbatch-columns-ms %.1f\n", best_plain,
              best_columns);
  std::printf(
      "batch-min100-redirected-ms %.1f\nbatch-min100-terminal-ms %.1f\n",
      best_redirected, best_terminal);
  std::printf("batch-plan-ms %.1f\n", best_plan);
  std::printf("ratio columns-vs-plain %.2f\n", best_columns / best_plain);
  std::printf("ratio plan-vs-plain %.2f\n", best_plan / best_plain);
  std::printf("batch-explain-columns-ms %.1f\n", best_explain_columns);
  std::printf("batch-json-columns-ms %.1f\nbatch-json-explain-ms %.1f\n",
              best_json_columns, best_explain);
  std::printf("ratio explain-vs-plain %.2f\n",
              best_explain_columns / best_columns);
  std::printf("ratio explain-json-vs-json %.2f\n",
              best_explain / best_json_columns);
  std::printf("ratio terminal-vs-redirected %.2f\n",
              best_terminal / best_redirected);
  return 0;
}

// Every database of a generated server in one run, two at once, against
// the four runs one after another; interleaved, best of `runs`.
int Databases(const std::string& dir, const std::string& program, int runs,
              int databases) {
  std::vector<std::string> together = {program, "--database",
                                       BenchDatabase(dir, 0), "--all-databases",
                                       "--jobs", "2"};
  double best_together = 1e30, best_sum = 1e30;
  for (int run = 0; run < runs; ++run) {
    best_together = std::min(best_together, RunProcess(together, false).ms);
    double sum = 0;
    for (int d = 0; d < databases; ++d)
      sum += RunProcess({program, "--database", BenchDatabase(dir, d)}, false).ms;
    best_sum = std::min(best_sum, sum);
  }
  std::printf("all-databases-jobs2-ms %.1f\nsingle-runs-sum-ms %.1f\n",
              best_together, best_sum);
  std::printf("ratio all-databases-jobs2-vs-sum %.2f\n",
              best_together / best_sum);
  return 0;
}

int BatchMemory(const std::string& dir, const std::string& program,
                const std::string& label) {
  const ProcessRun plain =
      RunProcess({program, "--database", dir + "/bench.db"}, false);
  const ProcessRun columns = RunProcess(
      {program, "--database", dir + "/bench.db", "--columns"}, false);
  std::printf("peak-mb batch-%s %.0f\n", label.c_str(), plain.peak_kb / 1024.0);
  std::printf("peak-mb batch-columns-%s %.0f\n", label.c_str(),
              columns.peak_kb / 1024.0);
  return plain.status == 0 && columns.status == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const std::string dir = argc > 2 ? argv[2] : "";
  auto number = [&](int index, int fallback) {
    return argc > index ? std::atoi(argv[index]) : fallback;
  };
  if (mode == "generate" && !dir.empty()) {
    return Generate(dir, number(3, 20000), number(4, 20), number(5, 1));
  }
  if (mode == "compare" && !dir.empty()) return Compare(dir, number(3, 7));
  if (mode == "analysis" && !dir.empty())
    return TimeAnalysis(dir, number(3, 0), argc > 4 ? argv[4] : nullptr);
  if (mode == "databases" && argc > 3)
    return Databases(dir, argv[3], number(4, 3), number(5, 4));
  if (mode == "batch" && argc > 3) return Batch(dir, argv[3], number(4, 5));
  if (mode == "batch-memory" && argc > 4)
    return BatchMemory(dir, argv[3], argv[4]);
  std::fprintf(stderr,
               "usage: catalog_bench generate DIR [TABLES] [COLUMNS] "
               "[DATABASES]\n"
               "       catalog_bench compare DIR [RUNS]\n"
               "       catalog_bench analysis DIR [MIN_PCT] [REPORT_LABEL]\n"
               "       catalog_bench databases DIR PROGRAM [RUNS] [DATABASES]\n"
               "       catalog_bench batch DIR PROGRAM [RUNS]\n"
               "       catalog_bench batch-memory DIR PROGRAM LABEL\n");
  return 64;
}
