// The real main window on the offscreen platform, on a generated catalog:
// the time to the first window, and the whole run with its progress shown
// (repainted by elapsed time) against the same run with progress off,
// interleaved, best of RUNS each; also with minimum compression 100.
//
//   QT_QPA_PLATFORM=offscreen windows_bench DIR [RUNS]
//   QT_QPA_PLATFORM=offscreen windows_bench DIR memory LABEL
//       one run with progress, then the process's peak memory, then the
//       plan window opened on the result and its rule changed
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QSpinBox>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "ui/main_window.h"
#include "ui/plan_window.h"
#include "ui/qt_desktop_port.h"
#include "wizard/app_state.h"

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds since the process started (from /proc, to 10 ms).
double SinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)),
                   std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 22; ++i) fields >> field;  // field 22: start time
  const double started = std::stod(field) / sysconf(_SC_CLK_TCK);
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return (now.tv_sec + now.tv_nsec / 1e9 - started) * 1000.0;
}

// The plan window on the shown result: opened, and its threshold changed.
void TimePlanWindow(tce::AppState& app, tce::ui::MainWindow& window,
                    const char* label) {
  tce::Wizard& wizard = window.wizard();
  const auto opened = Clock::now();
  wizard.OnToolbar("plan", app.models.results_grid);
  QApplication::processEvents();
  const double open_ms =
      std::chrono::duration<double, std::milli>(Clock::now() - opened).count();
  auto* threshold = window.plan_window().findChild<QSpinBox*>("PlanThreshold");
  double reapply_ms = 1e30;
  for (int value : {30, 40, 20}) {
    const auto start = Clock::now();
    threshold->setValue(value);
    QApplication::processEvents();
    reapply_ms = std::min(
        reapply_ms,
        std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::printf("plan-window-open-ms-%s %.0f\nplan-reapply-ms-%s %.0f\n", label,
              open_ms, label, reapply_ms);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  tce::ui::QtDesktopPort desktop;
  desktop.SetBoxHook([](const std::string& title, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  });
  tce::AppState app(desktop, "/dev/null");
  tce::ui::MainWindow window(app, desktop);
  window.on_end_program = [] {};
  tce::Wizard& wizard = window.wizard();
  wizard.StartUp();
  QApplication::processEvents();
  std::printf("startup-ms %.0f\n", SinceProcessStart());
  if (argc < 2) return 64;
  const bool memory = argc > 3 && std::string(argv[2]) == "memory";
  const int runs = argc > 2 && !memory ? std::atoi(argv[2]) : 3;

  wizard.DoContinue(tce::kDisclaimerTab);
  window.findChild<QLineEdit*>("InputDatabase")
      ->setText(QString::fromLocal8Bit(argv[1]) + "/bench.db");
  wizard.DoContinue(tce::kConnectionTab);
  if (!app.connection.ConnectionOpen()) return 1;

  // One whole run from Continue to the results, as a user waits for it.
  auto run = [&](bool progress, int min_pct) {
    wizard.set_progress_interval(progress ? std::chrono::milliseconds(100)
                                          : std::chrono::milliseconds::max());
    window.SelectTab(tce::kOptionsTab);
    app.settings.MinCompressionPct = static_cast<int16_t>(min_pct);
    app.run_state.SettingsChanged = true;
    const auto start = Clock::now();
    wizard.DoContinue(tce::kOptionsTab);
    QApplication::processEvents();
    return std::chrono::duration<double, std::milli>(Clock::now() - start)
        .count();
  };
  if (memory) {
    const double ms = run(true, 0);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("windows-%s-ms %.0f (%zu tables)\n", argv[3], ms,
                app.models.large_grid.record().listed.size());
    std::printf("peak-mb windows-%s %.0f\n", argv[3], usage.ru_maxrss / 1024.0);
    TimePlanWindow(app, window, argv[3]);
    return 0;
  }
  for (int min_pct : {0, 100}) {
    double best_on = 1e30, best_off = 1e30;
    for (int i = 0; i < runs; ++i) {
      best_on = std::min(best_on, run(true, min_pct));
      best_off = std::min(best_off, run(false, min_pct));
    }
    const char* label = min_pct == 0 ? "" : "-min100";
    std::printf("windows%s-progress-ms %.1f\nwindows%s-no-progress-ms %.1f\n",
                label, best_on, label, best_off);
    std::printf("ratio windows-progress%s %.2f\n", label, best_on / best_off);
  }
  return 0;
}
