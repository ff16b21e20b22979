// An AppState on the in-memory desktop, its debug log in a temporary
// folder, with the built-in texts and the statistics table loaded, and
// helpers to connect and run the analysis.
#ifndef TCE_TESTS_SUPPORT_APP_FIXTURE_H_
#define TCE_TESTS_SUPPORT_APP_FIXTURE_H_

#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "support/memory_desktop_port.h"
#include "support/temp_dir.h"
#include "wizard/app_state.h"

namespace tce::testing {

using Row = std::vector<std::string>;

struct AppFixture {
  AppFixture() {
    app.messages.LoadBuiltInTexts();
    app.BuildStatistics();
  }
  std::string LogText() const { return ReadFileBytes(app.log.path()); }

  Status Connect(const std::string& database, const std::string& user = "",
                 const std::string& password = "") {
    return app.connection.Connect(database, user, password, nullptr);
  }
  // Runs the analysis with the app's settings.
  RunResult RunEstimate(RunProgress* progress = nullptr,
                        TableSink* sink = nullptr) {
    return RunAnalysis(
        {app.connection, app.settings, app.statistics, app.reporter}, progress,
        sink);
  }

  // The seven cell texts of a listed table, as the grid shows them.
  static Row Cells(const TableRecord& table, Shown shown) {
    Row cells;
    for (int col = 1; col < kResultColumns; ++col)
      cells.push_back(GridCellText(table, shown, col));
    return cells;
  }
  static std::vector<Row> Cells(const RunRecord& record) {
    std::vector<Row> rows;
    for (size_t i = 0; i < record.listed.size(); ++i)
      rows.push_back(Cells(record.Listed(i), record.shown()));
    return rows;
  }
  // The listed tables of a run, in its order.
  static std::vector<TableRecord> ListedTables(const RunRecord& record) {
    std::vector<TableRecord> tables;
    for (size_t i = 0; i < record.listed.size(); ++i)
      tables.push_back(record.Listed(i));
    return tables;
  }

  TempDir log_dir;
  MemoryDesktopPort desktop;
  AppState app{desktop, log_dir.File("TARVEXCOMPRESS.DBG")};
};

}  // namespace tce::testing

#endif  // TCE_TESTS_SUPPORT_APP_FIXTURE_H_
