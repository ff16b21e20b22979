// The History window: the runs of the shown result's database kept in the
// history file that HISTORY= names in the configuration, its size and
// estimated compressed size over them as a chart, and what changed in the
// shown result since the run chosen in the list. Beside it, what the
// windows keep: each completed run, and for the rows of the last one their
// change since the run before it (a results row's tooltip).
#ifndef TCE_UI_HISTORY_WINDOW_H_
#define TCE_UI_HISTORY_WINDOW_H_

#include <QWidget>
#include <memory>
#include <vector>

#include "history/change_text.h"
#include "history/history.h"
#include "wizard/app_state.h"

class QChart;
class QLabel;
class QTableWidget;

namespace tce::ui {

class MainWindow;

class HistoryWindow : public QWidget {
 public:
  HistoryWindow(AppState& app, MainWindow& main_window);
  ~HistoryWindow() override;

  // Keeps a completed run and notes its changes since the last run kept
  // before it; says so when it cannot.
  void Keep(std::shared_ptr<const RunRecord> record);
  // Shows the runs of a result's database, the last before it chosen.
  void ShowHistory(std::shared_ptr<const RunRecord> record);
  // A results row's line on its change, or empty.
  std::string TipFor(const TableRecord& table) const {
    return notes_.TipFor(table, app_.messages);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString Text(Msg entry) const;
  QWidget* BuildTrend();
  // Opens the history file; says why it cannot be.
  std::unique_ptr<History> OpenFile();
  void FillRuns();
  void FillTrend(History& history);
  // The changes of the shown result since the run in row `row`.
  void ShowChangesSince(int row);

  AppState& app_;
  MainWindow& main_window_;
  std::shared_ptr<const RunRecord> record_;
  std::vector<KeptRun> runs_;  // newest first, as listed
  ChangeNotes notes_;
  QTableWidget* runs_list_ = nullptr;
  QChart* chart_ = nullptr;
  QWidget* chart_view_ = nullptr;
  QLabel* summary_ = nullptr;
  QTableWidget* changes_ = nullptr;
};

}  // namespace tce::ui

#endif  // TCE_UI_HISTORY_WINDOW_H_
