#include "ui/grid_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cstdint>

#include "base/number_text.h"
#include "model/figures.h"
#include "model/format.h"
#include "ui/qt_text.h"

namespace tce::ui {
namespace {

// Takes `excess` pixels from the columns, each in proportion to what it has
// above its floor; none goes below its floor.
void ShrinkToFloors(std::vector<int>& width, const std::vector<int>& floor,
                    int excess) {
  int slack = 0;
  for (size_t col = 0; col < width.size(); ++col)
    slack += std::max(0, width[col] - floor[col]);
  if (slack <= 0) return;
  const int take = std::min(excess, slack);
  int taken = 0;
  for (size_t col = 0; col < width.size(); ++col) {
    const int part = static_cast<int>(
        static_cast<int64_t>(std::max(0, width[col] - floor[col])) * take /
        slack);
    width[col] -= part;
    taken += part;
  }
  // What the rounding left, a pixel at a time from the widest above floor.
  while (taken < take) {
    size_t widest = 0;
    for (size_t col = 1; col < width.size(); ++col) {
      if (width[col] - floor[col] > width[widest] - floor[widest]) widest = col;
    }
    --width[widest];
    ++taken;
  }
}

}  // namespace

Qt::Alignment AlignmentOf(CellAlign align) {
  switch (align) {
    case CellAlign::kCentre:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case CellAlign::kRight:
      return Qt::AlignRight | Qt::AlignVCenter;
    default:
      return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

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
  return parent.isValid() ? 0 : static_cast<int>(ResultsColumns().size());
}

QVariant ResultsTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= grid_.RowCount()) return {};
  const int row = index.row() + 1;
  const int col = index.column();
  const ResultsColumn& column = ResultsColumns()[static_cast<size_t>(col)];
  switch (role) {
    case Qt::DisplayRole:
      return column.kind == CellKind::kMark
                 ? QVariant()
                 : QVariant(FromBytes(column.text(grid_.Row(row), grid_.shown())));
    case kMarkRole:
      return col == 0 ? QVariant(grid_.Marked(row)) : QVariant();
    case Qt::BackgroundRole:
      if (col == 0) return QApplication::palette().button();
      if (col == kSavedCol) {
        return SavingColour(
            SavingClassOf(SavedPct(grid_.Row(row), grid_.shown().method)));
      }
      return {};
    case Qt::TextAlignmentRole:
      return static_cast<int>(AlignmentOf(column.align));
    case Qt::ToolTipRole: {
      std::string tip =
          ResultsCellTip(grid_.Row(row), grid_.shown(), col, PlanRule());
      const std::string more = more_tip ? more_tip(grid_.Row(row)) : "";
      if (!more.empty()) tip += (tip.empty() ? "" : "\n") + more;
      return FromBytes(tip);
    }
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
  const ResultsColumn& column = ResultsColumns()[static_cast<size_t>(section)];
  if (role == Qt::DisplayRole)
    return FromBytes(messages_[column.header(grid_.shown())]);
  if (role == Qt::ToolTipRole) {
    const std::string& tip = messages_[column.header_tip(grid_.shown())];
    return tip.empty() ? QVariant() : QVariant(WrapTip(FromBytes(tip)));
  }
  if (role == Qt::TextAlignmentRole)
    return static_cast<int>(AlignmentOf(column.align));
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
  return parent.isValid() ? 0 : static_cast<int>(DetailsColumns().size());
}

QVariant DetailsTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() ||
      index.row() >= static_cast<int>(details_.lines().size())) {
    return {};
  }
  const ColumnDetail& line = details_.lines()[static_cast<size_t>(index.row())];
  const DetailsColumn& column =
      DetailsColumns()[static_cast<size_t>(index.column())];
  switch (role) {
    case Qt::DisplayRole:
      return FromBytes(column.text(line, DetailsView()));
    case Qt::TextAlignmentRole:
      return static_cast<int>(AlignmentOf(column.align));
    case Qt::ToolTipRole:
      if (column.id == kDetailBasisCol) {
        return FromBytes(BasisExplanation(line.basis, line.sample, line.rows));
      }
      if (column.id == kDetailSavedCol && !line.why.empty())
        return FromBytes(line.why);
      return {};
    default:
      return {};
  }
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
  setText(grid_.visible() ? FromBytes(TotalsLine(TotalsOf(grid_.record()), true))
                          : QString());
  // Which figure the line adds up: it differs by the unit shown.
  const Shown shown = grid_.shown();
  setToolTip(FromBytes(TotalsDefinition(shown.unit, shown.method)));
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
  // The cell cursor shows on the mark column too.
  if (option.state & QStyle::State_HasFocus) {
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(option);
    focus.state &= ~QStyle::State_Selected;  // drawn on the mark's ground
    focus.rect = option.rect.adjusted(1, 1, -1, -1);
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter,
                         option.widget);
  }
}

SortHeader::SortHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent) {}

void SortHeader::initStyleOptionForIndex(QStyleOptionHeader* option,
                                         int logical_index) const {
  QHeaderView::initStyleOptionForIndex(option, logical_index);
  option->sortIndicator = QStyleOptionHeader::None;  // drawn apart
}

void SortHeader::paintEvent(QPaintEvent* event) {
  QHeaderView::paintEvent(event);
  const int section = sortIndicatorSection();
  if (!isSortIndicatorShown() || section < 0 || section >= count()) return;
  // A small triangle at the top, in the middle of the sorted section.
  const int left = sectionViewportPosition(section);
  const int x = left + sectionSize(section) / 2;
  const int half = std::max(3, height() / 6);
  const int top = 1;
  QPolygon arrow;
  if (sortIndicatorOrder() == Qt::DescendingOrder) {
    arrow << QPoint(x - half, top) << QPoint(x + half, top)
          << QPoint(x, top + half);
  } else {
    arrow << QPoint(x - half, top + half) << QPoint(x + half, top + half)
          << QPoint(x, top);
  }
  QPainter painter(viewport());
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(palette().color(QPalette::WindowText));
  painter.drawPolygon(arrow);
}

GridView::GridView(QAbstractTableModel* model, std::vector<int> widths_twips,
                   std::vector<int> growing, QWidget* parent)
    : QTableView(parent), growing_(std::move(growing)) {
  setHorizontalHeader(new SortHeader(this));
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
  // Tab leaves the grid for the next control; the arrows, Home, End and
  // the page keys move the current cell.
  setTabKeyNavigation(false);
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
  if (event->type() == QEvent::Resize) {
    // A scroll bar came or went: the columns fit the room left.
    const bool handled = QTableView::viewportEvent(event);
    if (!fitting_) FitColumns();
    return handled;
  }
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
    QToolTip::showText(help->globalPos(), WrapTip(tip), viewport(),
                       visualRect(index));
  }
  return true;
}

void GridView::AfterReset() {
  FitColumns();
  // A new result, or a new order, starts at its first row.
  scrollToTop();
  if (model()->rowCount() > 0) {
    const int col = currentIndex().isValid() ? currentIndex().column() : 0;
    selectionModel()->setCurrentIndex(model()->index(0, col),
                                      QItemSelectionModel::NoUpdate);
  }
}

int GridView::HeaderWidth(int col, int margins) const {
  const QString text =
      model()->headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
  const int margin =
      style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
  return horizontalHeader()->fontMetrics().horizontalAdvance(text) +
         margins * margin;
}

int GridView::LeastWidth(int col) const {
  const int width = widths_[static_cast<size_t>(col)];
  if (user_set_[static_cast<size_t>(col)]) return width;
  // The header's text whole, with room round it.
  return std::max(width, HeaderWidth(col, 4));
}

void GridView::FitColumns() {
  resetting_ = true;
  fitting_ = true;
  const int columns = static_cast<int>(widths_.size());
  std::vector<int> width(widths_.size());
  std::vector<int> floor(widths_.size());
  int total = 0;
  for (int col = 0; col < columns; ++col) {
    const size_t at = static_cast<size_t>(col);
    width[at] = LeastWidth(col);
    // Short of room a column gives way down to its header's text with the
    // margins the style draws round it; the user's widths stay.
    floor[at] = user_set_[at] ? width[at]
                              : std::min(width[at], HeaderWidth(col, 2) + 2);
    total += width[at];
  }
  int spare = viewport()->width() - total;
  if (spare < 0) ShrinkToFloors(width, floor, -spare);
  std::vector<int> growing;
  for (int col : growing_) {
    if (col < columns && !user_set_[static_cast<size_t>(col)])
      growing.push_back(col);
  }
  if (spare > 0 && !growing.empty()) {
    // First what the growing columns' content needs, then the rest alike.
    for (int col : growing) {
      const int want = std::max(0, sizeHintForColumn(col) -
                                       width[static_cast<size_t>(col)]);
      const int given = std::min(want, spare);
      width[static_cast<size_t>(col)] += given;
      spare -= given;
    }
    const int share = spare / static_cast<int>(growing.size());
    for (int col : growing) width[static_cast<size_t>(col)] += share;
  }
  for (int col = 0; col < columns; ++col)
    setColumnWidth(col, width[static_cast<size_t>(col)]);
  resetting_ = false;
  fitting_ = false;
}

void GridView::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  FitColumns();
}

void GridView::keyPressEvent(QKeyEvent* event) {
  // Ctrl+Tab leaves the grid too (Shift turns it back), rather than
  // reaching the tab control, which would change the panel.
  const bool tab =
      event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
  if (tab && (event->modifiers() & Qt::ControlModifier)) {
    focusNextPrevChild(event->key() == Qt::Key_Tab &&
                       !(event->modifiers() & Qt::ShiftModifier));
    event->accept();
    return;
  }
  const QModelIndex current = currentIndex();
  const bool enter =
      event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (current.isValid() && (event->key() == Qt::Key_Space || enter)) {
    const auto& handler = enter ? on_enter : on_space;
    if (handler) {
      handler(current.row() + 1, current.column());
      event->accept();
      return;
    }
  }
  QTableView::keyPressEvent(event);
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
