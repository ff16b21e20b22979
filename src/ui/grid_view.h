// The grids on screen: Qt table models that adapt the plain models (a
// results grid, the per-column details), and a QTableView that reports
// clicks in the models' numbering. The adapters hold no data of their own.
#ifndef TCE_UI_GRID_VIEW_H_
#define TCE_UI_GRID_VIEW_H_

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <vector>

#include "base/message_table.h"
#include "model/details.h"
#include "model/grid_columns.h"
#include "model/results_grid.h"

namespace tce::ui {

// A grid column's alignment on screen, vertically centred.
Qt::Alignment AlignmentOf(CellAlign align);
// The colour of a saving's cell: red, yellow or green.
QColor SavingColour(SavingClass saving);

// The least widths (twips) and the growing columns of a column table.
template <typename Columns>
std::vector<int> LeastWidths(const Columns& columns) {
  std::vector<int> widths;
  for (const auto& column : columns) widths.push_back(column.least_twips);
  return widths;
}
template <typename Columns>
std::vector<int> GrowingColumns(const Columns& columns) {
  std::vector<int> growing;
  for (const auto& column : columns)
    if (column.grows) growing.push_back(column.id);
  return growing;
}

// The role that says whether a mark cell is ticked.
inline constexpr int kMarkRole = Qt::UserRole + 1;

// A results grid: column 0 the mark, 1 to 7 the cells of GridCellText,
// headers from the message table in the result's unit.
class ResultsTableModel : public QAbstractTableModel,
                          public ResultsGridObserver {
 public:
  ResultsTableModel(ResultsGrid& grid, const MessageTable& messages,
                    QObject* parent = nullptr);
  ~ResultsTableModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role) const override;

  ResultsGrid& grid() { return grid_; }

  void GridReset() override;
  void MarksChanged(int first, int last) override;

  // Called after every reset, to lay the view out again.
  std::function<void()> on_reset;
  // More for a row's tooltip (the history's change), when set.
  std::function<std::string(const TableRecord&)> more_tip;

 private:
  ResultsGrid& grid_;
  const MessageTable& messages_;
};

// The per-column grid `TableInfo`.
class DetailsTableModel : public QAbstractTableModel {
 public:
  DetailsTableModel(DetailsModel& details, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role) const override;

  // Re-reads the model (its lines or header changed).
  void Refresh();
  std::function<void()> on_reset;

 private:
  DetailsModel& details_;
};

// The totals line under a results grid, kept up to date with it; empty
// while the grid is hidden (a run is working).
class TotalsLabel : public QLabel, public ResultsGridObserver {
 public:
  TotalsLabel(ResultsGrid& grid, QWidget* parent);
  ~TotalsLabel() override;
  void GridReset() override;
  void MarksChanged(int, int) override {}

 private:
  ResultsGrid& grid_;
};

// Draws the mark cells as unticked or ticked boxes.
class MarkDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
};

// The header of a grid: the sort arrow is drawn small at the top of its
// section, so that it neither covers the header's text nor needs room of
// its own (the columns keep their widths when a sort starts).
class SortHeader : public QHeaderView {
 public:
  explicit SortHeader(QWidget* parent);

 protected:
  void initStyleOptionForIndex(QStyleOptionHeader* option,
                               int logical_index) const override;
  void paintEvent(QPaintEvent* event) override;
};

// A QTableView over one of the models above. Rows are reported in the
// grid's numbering (data rows from 1, the header 0). Each column is at least
// as wide as designed (in twips) and as its header; room to spare goes to
// the `growing` columns, up to what their content needs, and the rest to
// them alike. Short of room the columns give way alike, down to their
// headers' text, so that the grid needs no sideways scrolling. A width the
// user drags stays as the user left it. Tab leaves the grid.
class GridView : public QTableView {
 public:
  GridView(QAbstractTableModel* model, std::vector<int> widths_twips,
           std::vector<int> growing, QWidget* parent = nullptr);

  // A click on a data cell.
  std::function<void(int row, int col)> on_cell_clicked;
  // Another mouse button released on a data cell.
  std::function<void(int row, int col)> on_other_button_released;
  std::function<void(int col)> on_header_clicked;
  // Keys on the current cell: Space and Enter.
  std::function<void(int row, int col)> on_space;
  std::function<void(int row, int col)> on_enter;

  // Lays the view out after its model was reset, keeping the widths the
  // user chose, and starts at the first row.
  void AfterReset();
  void SetVisibleFromModel(bool visible);
  // Sets a column's width as the program designs it.
  void SetColumnWidthTwips(int col, int twips);
  // The width the visible rows' texts of a column need.
  int ContentWidth(int col) const { return sizeHintForColumn(col); }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // A cell whose text is cut shows it whole in its tooltip.
  bool viewportEvent(QEvent* event) override;

 private:
  // Sets the columns' widths for the room the view has.
  void FitColumns();
  // The least width of a column: designed, or the user's, and its header.
  int LeastWidth(int col) const;
  // The header's text width with `margins` of the style's header margin.
  int HeaderWidth(int col, int margins) const;

  std::vector<int> widths_;  // pixels, the user's once dragged
  std::vector<bool> user_set_;
  std::vector<int> growing_;
  bool resetting_ = false;
  bool fitting_ = false;
};

}  // namespace tce::ui

#endif  // TCE_UI_GRID_VIEW_H_
