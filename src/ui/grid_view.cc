#include "ui/grid_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "base/number_text.h"
#include "ui/qt_text.h"

namespace tce::ui {
namespace {

constexpr Qt::Alignment kResultAlignments[kResultColumns] = {
    Qt::AlignHCenter, Qt::AlignLeft,  Qt::AlignLeft,  Qt::AlignRight,
    Qt::AlignRight,   Qt::AlignRight, Qt::AlignRight, Qt::AlignRight};

QColor SavingColour(SavingClass saving) {
  switch (saving) {
    case SavingClass::kLow:
      return QColor(255, 0, 0);
    case SavingClass::kMedium:
      return QColor(255, 255, 0);
    default:
      return QColor(0, 255, 0);
  }
}

}  // namespace

ResultsTableModel::ResultsTableModel(ResultsGrid& grid,
                                     const MessageTable& messages,
                                     QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), messages_(messages) {
  grid_.AddObserver(this);
}

ResultsTableModel::~ResultsTableModel() { grid_.RemoveObserver(this); }

int ResultsTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.RowCount();
}

int ResultsTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kResultColumns;
}

QVariant ResultsTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= grid_.RowCount()) return {};
  const int row = index.row() + 1;
  const int col = index.column();
  switch (role) {
    case Qt::DisplayRole:
      return col == 0 ? QVariant()
                      : QVariant(FromBytes(GridCellText(grid_.Row(row), grid_.shown(), col)));
    case kMarkRole:
      return col == 0 ? QVariant(grid_.Marked(row)) : QVariant();
    case Qt::BackgroundRole:
      if (col == 0) return QApplication::palette().button();
      if (col == kSavedCol) {
        return SavingColour(
            SavingClassOf(grid_.Row(row).pct[grid_.shown().method]));
      }
      return {};
    case Qt::TextAlignmentRole:
      return static_cast<int>(kResultAlignments[col] | Qt::AlignVCenter);
    case Qt::ToolTipRole:
      return FromBytes(BasisSummary(grid_.Row(row)));
    default:
      return {};
  }
}

QVariant ResultsTableModel::headerData(int section, Qt::Orientation orientation,
                                       int role) const {
  if (orientation != Qt::Horizontal || section < 0 ||
      section >= kResultColumns) {
    return {};
  }
  if (role == Qt::DisplayRole) {
    if (section == 0) return QString();
    return FromBytes(
        ResultsHeaderTexts(messages_, grid_.shown().unit)[section - 1]);
  }
  if (role == Qt::TextAlignmentRole) {
    return static_cast<int>(kResultAlignments[section] | Qt::AlignVCenter);
  }
  return {};
}

void ResultsTableModel::GridReset() {
  beginResetModel();
  endResetModel();
  headerDataChanged(Qt::Horizontal, 0, kResultColumns - 1);
  if (on_reset) on_reset();
}

void ResultsTableModel::MarksChanged(int first, int last) {
  emit dataChanged(index(first - 1, 0), index(last - 1, 0), {kMarkRole});
}

DetailsTableModel::DetailsTableModel(DetailsModel& details, QObject* parent)
    : QAbstractTableModel(parent), details_(details) {}

int DetailsTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(details_.lines().size());
}

int DetailsTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : DetailsModel::kColumns;
}

QVariant DetailsTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() ||
      index.row() >= static_cast<int>(details_.lines().size())) {
    return {};
  }
  const ColumnDetail& line = details_.lines()[static_cast<size_t>(index.row())];
  if (role == Qt::DisplayRole) {
    switch (index.column()) {
      case 0:
        return FromBytes(line.name);
      case 1:
        return FromBytes(line.type);
      case 2:
        return QString::number(line.bytes);
      case 3:
        return QString::fromStdString(line.pct.ToText());
      case 4:
        return QString::fromStdString(
            BasisText(line.basis, line.sample, line.rows));
      default:
        return {};
    }
  }
  if (role == Qt::ToolTipRole && index.column() == 4) {
    return QString::fromStdString(
        BasisExplanation(line.basis, line.sample, line.rows));
  }
  if (role == Qt::TextAlignmentRole) {
    return static_cast<int>(Qt::AlignVCenter |
                            (index.column() == 2 || index.column() == 3
                                 ? Qt::AlignRight
                                 : Qt::AlignLeft));
  }
  return {};
}

QVariant DetailsTableModel::headerData(int section, Qt::Orientation orientation,
                                       int role) const {
  if (orientation != Qt::Horizontal || section < 0 ||
      section >= DetailsModel::kColumns || role != Qt::DisplayRole) {
    return {};
  }
  return FromBytes(details_.HeaderText(section));
}

void DetailsTableModel::Refresh() {
  beginResetModel();
  endResetModel();
  headerDataChanged(Qt::Horizontal, 0, DetailsModel::kColumns - 1);
  if (on_reset) on_reset();
}

TotalsLabel::TotalsLabel(ResultsGrid& grid, QWidget* parent)
    : QLabel(parent), grid_(grid) {
  grid_.AddObserver(this);
  GridReset();
}

TotalsLabel::~TotalsLabel() { grid_.RemoveObserver(this); }

void TotalsLabel::GridReset() {
  setText(grid_.visible() ? FromBytes(TotalsLine(TotalsOf(grid_.record())))
                          : QString());
}

void MarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
  const QVariant mark = index.data(kMarkRole);
  if (!mark.isValid()) {
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
              (mark.toBool() ? QStyle::State_On : QStyle::State_Off);
  style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter,
                       option.widget);
}

GridView::GridView(QAbstractTableModel* model, std::vector<int> widths_twips,
                   QWidget* parent)
    : QTableView(parent) {
  setModel(model);
  setItemDelegate(new MarkDelegate(this));
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(Px(255));
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setHighlightSections(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  for (int twips : widths_twips) widths_.push_back(Px(twips));
  user_set_.assign(widths_.size(), false);
  connect(this, &QTableView::clicked, this, [this](const QModelIndex& index) {
    if (on_cell_clicked) on_cell_clicked(index.row() + 1, index.column());
  });
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int col) {
            if (on_header_clicked) on_header_clicked(col);
          });
  // A width the user dragged is kept through sorts, marks and new runs.
  connect(
      horizontalHeader(), &QHeaderView::sectionResized, this,
      [this](int col, int, int size) {
        if (!resetting_ && col >= 0 && col < static_cast<int>(widths_.size())) {
          widths_[static_cast<size_t>(col)] = size;
          user_set_[static_cast<size_t>(col)] = true;
        }
      });
  // What the header does to its sections while the model resets is not the
  // user's doing.
  connect(model, &QAbstractItemModel::modelAboutToBeReset, this,
          [this] { resetting_ = true; });
  AfterReset();
}

bool GridView::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTableView::viewportEvent(event);
  auto* help = static_cast<QHelpEvent*>(event);
  const QModelIndex index = indexAt(help->pos());
  if (!index.isValid()) {
    QToolTip::hideText();
    return true;
  }
  QString tip = index.data(Qt::ToolTipRole).toString();
  const QString text = index.data(Qt::DisplayRole).toString();
  // The room a cell's text has: its width less the margins drawn round it.
  const int room = visualRect(index).width() - 8;
  if (!text.isEmpty() && fontMetrics().horizontalAdvance(text) > room) {
    tip = tip.isEmpty() ? text : text + QStringLiteral("\n\n") + tip;
  }
  if (tip.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(help->globalPos(), tip, viewport(), visualRect(index));
  }
  return true;
}

void GridView::AfterReset() {
  resetting_ = true;
  for (size_t col = 0; col < widths_.size(); ++col) {
    // A designed width is widened to show its header whole; a width the
    // user chose is kept as it is.
    int width = widths_[col];
    if (!user_set_[col]) {
      width = std::max(
          width, horizontalHeader()->sectionSizeHint(static_cast<int>(col)));
    }
    setColumnWidth(static_cast<int>(col), width);
  }
  resetting_ = false;
}

void GridView::SetColumnWidthTwips(int col, int twips) {
  if (col < 0 || col >= static_cast<int>(widths_.size())) return;
  widths_[static_cast<size_t>(col)] = Px(twips);
  AfterReset();
}

void GridView::SetVisibleFromModel(bool visible) { setVisible(visible); }

void GridView::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) return;
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!index.isValid()) return;
  setCurrentIndex(index);
  if (on_other_button_released) {
    on_other_button_released(index.row() + 1, index.column());
  }
}

}  // namespace tce::ui
