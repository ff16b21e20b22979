// An AppState on the in-memory desktop, its debug log in a temporary
// folder, with the built-in texts and the statistics table loaded.
#ifndef TCE_TESTS_SUPPORT_APP_FIXTURE_H_
#define TCE_TESTS_SUPPORT_APP_FIXTURE_H_

#include <string>
#include <vector>

#include "wizard/app_state.h"
#include "support/memory_desktop_port.h"
#include "support/temp_dir.h"

namespace tce::testing {

struct AppFixture {
  AppFixture() {
    app.messages.LoadBuiltInTexts();
    app.BuildStatistics();
  }
  std::string LogText() const { return ReadFileBytes(app.log.path()); }
  // The texts of one grid row.
  static std::vector<std::string> RowTexts(const GridModel& grid, int row) {
    std::vector<std::string> texts;
    for (int col = 0; col < grid.Cols(); ++col)
      texts.push_back(grid.Text(row, col));
    return texts;
  }

  TempDir log_dir;
  MemoryDesktopPort desktop;
  AppState app{desktop, log_dir.File("TARVEXCOMPRESS.DBG")};
};

}  // namespace tce::testing

#endif  // TCE_TESTS_SUPPORT_APP_FIXTURE_H_
