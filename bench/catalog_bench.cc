// Times the analysis run on a large generated catalog against SQLite alone
// running the same catalog query.
//
//   catalog_bench generate DIR [TABLES] [COLUMNS_PER_TABLE]
//   catalog_bench sqlite DIR        SQLite C API: execute and step all rows
//   catalog_bench sqlite-read DIR   the same, reading every column's text
//   catalog_bench analysis DIR [MIN_PCT]
//                                   RunAnalysis through the driver library
//
// Each timed mode prints the best of three runs in milliseconds and the
// process's peak resident memory.
#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "analysis/analysis.h"
#include "catalog_builder.h"
#include "db/catalog_query.h"
#include "db/statement.h"
#include "dialect.h"
#include "wizard/app_state.h"

namespace {

// The run without windows: nothing to show, no events to process.
class NoDesktop : public tce::DesktopPort {
 public:
  void ShowMessageBox(const std::string&, const std::string&) override {}
  std::optional<std::string> AskSaveFileName(
      tce::SaveDialog, const std::optional<std::string>&) override {
    return std::nullopt;
  }
  void SetWaitCursor(bool) override {}
  void ProcessPendingEvents() override {}
  void* DialogOwnerWindow() override { return nullptr; }
};

using Clock = std::chrono::steady_clock;

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

int Generate(const std::string& dir, int tables, int columns_per_table) {
  std::string error;
  if (!tvcli::CreateServer(dir, "11.70", 2048, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  tvcli::DatabaseBuilder db(dir + "/bench.db");
  std::mt19937 random(42);
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
  std::printf("generated %d tables, %d columns\n", tables,
              tables * columns_per_table);
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

// `read_values`: also fetch every column's text, as any consumer of the
// rows must; without it SQLite may skip reading the joined rows' columns.
int TimeSqlite(const std::string& dir, bool read_values) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2((dir + "/bench.db").c_str(), &db, SQLITE_OPEN_READONLY,
                      nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "cannot open %s/bench.db\n", dir.c_str());
    return 1;
  }
  const std::string sql = CatalogQuery();
  double best = 1e30;
  long rows = 0;
  for (int run = 0; run < 3; ++run) {
    const auto start = Clock::now();
    sqlite3_stmt* vm = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &vm, nullptr);
    rows = 0;
    const int columns = sqlite3_column_count(vm);
    size_t bytes = 0;
    while (sqlite3_step(vm) == SQLITE_ROW) {
      ++rows;
      if (!read_values) continue;
      for (int c = 0; c < columns; ++c) {
        sqlite3_column_text(vm, c);
        bytes += static_cast<size_t>(sqlite3_column_bytes(vm, c));
      }
    }
    if (bytes == 1) std::printf(" ");  // keep the reads
    sqlite3_finalize(vm);
    best = std::min(
        best, std::chrono::duration<double, std::milli>(Clock::now() - start)
                  .count());
  }
  sqlite3_close(db);
  std::printf("sqlite%s rows=%ld best_ms=%.1f peak_rss_kb=%ld\n",
              read_values ? "+read" : "     ", rows, best, PeakRssKb());
  return 0;
}

int TimeAnalysis(const std::string& dir, int min_pct) {
  NoDesktop desktop;
  tce::AppState app(desktop, "/dev/null");
  app.messages.LoadBuiltInTexts();
  app.BuildStatistics();
  if (!app.connection.Connect(dir + "/bench.db", "", "", nullptr).ok()) {
    std::fprintf(stderr, "cannot connect\n");
    return 1;
  }
  app.settings.MinCompressionPct = static_cast<int16_t>(min_pct);
  double best = 1e30;
  size_t listed = 0;
  for (int run = 0; run < 3; ++run) {
    const auto start = Clock::now();
    const tce::RunResult result = tce::RunAnalysis(
        {app.connection, app.settings, app.estimator, app.reporter}, nullptr,
        nullptr);
    app.results_grid.Show(result.results);
    app.large_grid.Show(result.results);
    listed = result.results->tables.size();
    best = std::min(
        best, std::chrono::duration<double, std::milli>(Clock::now() - start)
                  .count());
  }
  std::printf("analysis tables_listed=%zu best_ms=%.1f peak_rss_kb=%ld\n",
              listed, best, PeakRssKb());
  return 0;
}

// Only the rows through the driver and the statement layer.
int TimeFetch(const std::string& dir) {
  NoDesktop desktop;
  tce::AppState app(desktop, "/dev/null");
  if (!app.connection.Connect(dir + "/bench.db", "", "", nullptr).ok()) return 1;
  double best = 1e30;
  for (int run = 0; run < 3; ++run) {
    const auto start = Clock::now();
    tce::Statement statement(app.connection);
    statement.ExecuteStatement(tce::BuildCatalogQuery("", "", "T.PAGESIZE", app.settings));
    bool has_row = true;
    long rows = 0;
    while (statement.FetchRow(has_row).ok() && has_row) ++rows;
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::printf("fetch best_ms=%.1f\n", best);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const std::string dir = argc > 2 ? argv[2] : "";
  if (mode == "generate" && !dir.empty()) {
    return Generate(dir, argc > 3 ? std::atoi(argv[3]) : 20000,
                    argc > 4 ? std::atoi(argv[4]) : 20);
  }
  if (mode == "sqlite" && !dir.empty()) return TimeSqlite(dir, false);
  if (mode == "sqlite-read" && !dir.empty()) return TimeSqlite(dir, true);
  if (mode == "fetch" && !dir.empty()) return TimeFetch(dir);
  if (mode == "analysis" && !dir.empty()) {
    return TimeAnalysis(dir, argc > 3 ? std::atoi(argv[3]) : 0);
  }
  std::fprintf(
      stderr,
      "usage: catalog_bench generate DIR [TABLES] [COLUMNS_PER_TABLE]\n"
      "       catalog_bench sqlite DIR\n"
      "       catalog_bench sqlite-read DIR\n"
      "       catalog_bench analysis DIR [MIN_PCT]\n");
  return 64;
}
