// The plan window: which tables to compress, with which method, and what it
// gives back, for the result shown. Its margin and threshold apply at once
// (the record holds both methods' estimates: no new query); the totals by
// recommendation show as figures and as a chart; the list sorts as the
// results grid does; the plan exports as tab, comma or JSON.
#ifndef TCE_UI_PLAN_WINDOW_H_
#define TCE_UI_PLAN_WINDOW_H_

#include <QAbstractTableModel>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "model/plan.h"
#include "wizard/app_state.h"

class QBarSet;
class QComboBox;
class QSpinBox;
class QTableWidget;
class QValueAxis;

namespace tce::ui {

class GridView;
class MainWindow;

// The plan's list as a Qt model: columns as PlanColumns() describes them.
class PlanTableModel : public QAbstractTableModel {
 public:
  PlanTableModel(const Plan& plan, const MessageTable& messages,
                 QObject* parent)
      : QAbstractTableModel(parent), plan_(plan), messages_(messages) {}
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role) const override;
  // The plan changed: rows, order or figures.
  void Refresh();

 private:
  const Plan& plan_;
  const MessageTable& messages_;
};

class PlanWindow : public QWidget {
 public:
  PlanWindow(AppState& app, MainWindow& main_window);
  ~PlanWindow() override;

  // Shows the plan of a result, with the rule the controls hold.
  void ShowPlan(std::shared_ptr<const RunRecord> record);
  const Plan& plan() const { return plan_; }

 protected:
  // F1 opens the plan's topic; Escape closes the window; Enter presses the
  // focused button.
  void keyPressEvent(QKeyEvent* event) override;
  // The window that opened the plan gets the keys back.
  void closeEvent(QCloseEvent* event) override;

 private:
  // A text of the message table.
  QString Text(Msg entry) const;
  QWidget* BuildControls();
  QWidget* BuildTotals();
  QWidget* BuildList();
  // The rule changed: the plan, its totals and its list follow.
  void ApplyRule();
  void RefreshTotals();
  void Export();

  AppState& app_;
  MainWindow& main_window_;
  Plan plan_{nullptr};
  QSpinBox* margin_ = nullptr;
  QSpinBox* threshold_ = nullptr;
  QComboBox* format_ = nullptr;
  QTableWidget* totals_ = nullptr;
  QBarSet* size_bars_ = nullptr;
  QBarSet* after_bars_ = nullptr;
  QValueAxis* axis_ = nullptr;
  PlanTableModel* model_ = nullptr;
  GridView* list_ = nullptr;
  QPointer<QWidget> opener_;
};

}  // namespace tce::ui

#endif  // TCE_UI_PLAN_WINDOW_H_
