#include "ui/grid_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

#include "ui/qt_text.h"

namespace tce::ui {
namespace {

constexpr char kMarkFont[] = "Wingdings";
constexpr char kUnmarked[] = "o";

Qt::Alignment ToQt(ColumnAlignment alignment) {
  switch (alignment) {
    case ColumnAlignment::kCentre:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case ColumnAlignment::kRight:
      return Qt::AlignRight | Qt::AlignVCenter;
    default:
      return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

}  // namespace

GridTableModel::GridTableModel(GridModel& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid) {
  grid_.AddObserver(this);
}

GridTableModel::~GridTableModel() { grid_.RemoveObserver(this); }

int GridTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.Rows() - HeaderRows();
}

int GridTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.Cols();
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const GridModel::Cell& cell =
      grid_.CellAt(ModelRow(index.row()), index.column());
  switch (role) {
    case Qt::DisplayRole:
      return cell.font == kMarkFont ? QVariant()
                                    : QVariant(FromBytes(cell.text));
    case Qt::EditRole:
      return FromBytes(cell.text);
    case kFontNameRole:
      return QString::fromStdString(cell.font);
    case Qt::BackgroundRole:
      switch (cell.background.kind) {
        case CellColour::kButtonFace:
          return QApplication::palette().button();
        case CellColour::kRgb:
          return QColor(cell.background.red, cell.background.green,
                        cell.background.blue);
        default:
          return {};
      }
    case Qt::TextAlignmentRole:
      return static_cast<int>(ToQt(grid_.ColAlignment(index.column())));
    default:
      return {};
  }
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation,
                                    int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::DisplayRole) {
    return HeaderRows() > 0 ? FromBytes(grid_.Text(0, section)) : QString();
  }
  if (role == Qt::TextAlignmentRole) {
    return static_cast<int>(ToQt(grid_.ColAlignment(section)));
  }
  return {};
}

void GridTableModel::GridReset() {
  beginResetModel();
  endResetModel();
  if (on_reset) on_reset();
}

void GridTableModel::GridRowsAppended(int, int) {
  // The model has changed already; the view reads it afresh.
  GridReset();
}

void GridTableModel::GridRowsChanged(int first, int last) {
  const int top = std::max(first - HeaderRows(), 0);
  const int bottom = last - HeaderRows();
  if (bottom < top) {
    headerDataChanged(Qt::Horizontal, 0, grid_.Cols() - 1);
    return;
  }
  emit dataChanged(index(top, 0), index(bottom, grid_.Cols() - 1));
}

void MarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
  if (index.data(kFontNameRole).toString() != QLatin1String(kMarkFont)) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  const QVariant background = index.data(Qt::BackgroundRole);
  if (background.canConvert<QBrush>()) {
    painter->fillRect(option.rect, background.value<QBrush>());
  }
  QStyleOptionButton box;
  const QStyle* style =
      option.widget != nullptr ? option.widget->style() : QApplication::style();
  const int width =
      style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, option.widget);
  const int height =
      style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, option.widget);
  box.rect = QRect(option.rect.x() + (option.rect.width() - width) / 2,
                   option.rect.y() + (option.rect.height() - height) / 2, width,
                   height);
  box.state = QStyle::State_Enabled |
              (index.data(Qt::EditRole).toString() == QLatin1String(kUnmarked)
                   ? QStyle::State_Off
                   : QStyle::State_On);
  style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter,
                       option.widget);
}

GridView::GridView(GridModel& grid, QWidget* parent)
    : QTableView(parent), model_(new GridTableModel(grid, this)) {
  setModel(model_);
  setItemDelegate(new MarkDelegate(this));
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(Px(255));
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setHighlightSections(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  model_->on_reset = [this] { ApplyLayout(); };
  connect(this, &QTableView::clicked, this, [this](const QModelIndex& index) {
    if (on_cell_clicked)
      on_cell_clicked(model_->ModelRow(index.row()), index.column());
  });
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int col) {
            if (on_header_clicked) on_header_clicked(col);
          });
  ApplyLayout();
}

void GridView::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) return;
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!index.isValid()) return;
  setCurrentIndex(index);
  if (on_other_button_released) {
    on_other_button_released(model_->ModelRow(index.row()), index.column());
  }
}

void GridView::ApplyLayout() {
  const GridModel& grid = model_->grid();
  for (int col = 0; col < grid.Cols(); ++col)
    setColumnWidth(col, Px(grid.ColWidth(col)));
  horizontalHeader()->setVisible(model_->HeaderRows() > 0);
  setVisible(grid.Visible());
}

}  // namespace tce::ui
