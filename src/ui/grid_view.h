// A results grid on screen: a QTableView over a GridModel. Row 0 of the
// model is the header while the grid has a fixed row; mark cells (font
// "Wingdings" in the model) are drawn as check boxes.
#ifndef TCE_UI_GRID_VIEW_H_
#define TCE_UI_GRID_VIEW_H_

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

#include "model/grid_model.h"

namespace tce::ui {

class GridTableModel : public QAbstractTableModel, public GridObserver {
 public:
  explicit GridTableModel(GridModel& grid, QObject* parent = nullptr);
  ~GridTableModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role) const override;

  // The model row of a view row, and back.
  int ModelRow(int view_row) const { return view_row + HeaderRows(); }
  int HeaderRows() const {
    return grid_.FixedRows() > 0 && grid_.Rows() > 0 ? 1 : 0;
  }
  GridModel& grid() { return grid_; }

  void GridReset() override;
  void GridRowsAppended(int first, int count) override;
  void GridRowsChanged(int first, int last) override;

  // Called after every reset, to lay the view out again.
  std::function<void()> on_reset;

 private:
  GridModel& grid_;
};

// Draws the mark cells as unticked ("o") or ticked boxes.
class MarkDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
};

// The role that carries a cell's font name from the model.
inline constexpr int kFontNameRole = Qt::UserRole + 1;

// A QTableView showing a GridModel, with its column widths, alignments and
// visibility; `clicked(model_row, col)` and `header_clicked(col)` report
// clicks in the model's numbering.
class GridView : public QTableView {
 public:
  GridView(GridModel& grid, QWidget* parent = nullptr);

  std::function<void(int row, int col)> on_cell_clicked;
  // Another mouse button released on a cell (a release, not a click).
  std::function<void(int row, int col)> on_other_button_released;
  std::function<void(int col)> on_header_clicked;
  GridTableModel* grid_model() { return model_; }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void ApplyLayout();

  GridTableModel* model_;
};

}  // namespace tce::ui

#endif  // TCE_UI_GRID_VIEW_H_
