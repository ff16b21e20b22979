#include "ui/focus_style.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace tce::ui {
namespace {

// The ring's width, and its distance from the control.
constexpr int kRingWidth = 2;
constexpr int kRingMargin = kRingWidth + 1;

// A frame `width` pixels wide along the inside of `rect`.
void FillFrame(QPainter* painter, const QRect& rect, int width,
               const QColor& colour) {
  painter->fillRect(rect.left(), rect.top(), rect.width(), width, colour);
  painter->fillRect(rect.left(), rect.bottom() + 1 - width, rect.width(), width,
                    colour);
  painter->fillRect(rect.left(), rect.top(), width, rect.height(), colour);
  painter->fillRect(rect.right() + 1 - width, rect.top(), width, rect.height(),
                    colour);
}

}  // namespace

FocusStyle::FocusStyle(QStyle* base) : QProxyStyle(base) {}

void FocusStyle::drawPrimitive(PrimitiveElement element,
                               const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
  if (element != PE_FrameFocusRect) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  // Controls show the focus by the ring; a grid shows its current cell
  // this way too, in the text colour of a selected cell on one.
  if (qobject_cast<const QAbstractItemView*>(widget) == nullptr) return;
  const bool selected = option->state & State_Selected;
  FillFrame(painter, option->rect, kRingWidth,
            option->palette.color(selected ? QPalette::HighlightedText
                                           : QPalette::Highlight));
}

void FocusStyle::drawControl(ControlElement element, const QStyleOption* option,
                             QPainter* painter, const QWidget* widget) const {
  if (element != CE_FocusFrame) {
    QProxyStyle::drawControl(element, option, painter, widget);
    return;
  }
  // The ring's outer part; the pixel between it and the control stays
  // clear.
  FillFrame(painter, option->rect, kRingWidth,
            option->palette.color(QPalette::Highlight));
}

int FocusStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                            const QWidget* widget) const {
  if (metric == PM_FocusFrameHMargin || metric == PM_FocusFrameVMargin)
    return kRingMargin;
  return QProxyStyle::pixelMetric(metric, option, widget);
}

int FocusStyle::styleHint(StyleHint hint, const QStyleOption* option,
                          const QWidget* widget,
                          QStyleHintReturn* returned) const {
  // Drawn over the control's neighbours, so that none covers it.
  if (hint == SH_FocusFrame_AboveWidget) return 1;
  return QProxyStyle::styleHint(hint, option, widget, returned);
}

void UseFocusStyle() {
  if (dynamic_cast<const FocusStyle*>(QApplication::style()) != nullptr) return;
  QApplication::setStyle(
      new FocusStyle(QStyleFactory::create(QApplication::style()->name())));
}

FocusRing::FocusRing() {
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { Follow(now); });
  Follow(QApplication::focusWidget());
}

FocusRing::~FocusRing() { delete frame_.data(); }

QWidget* FocusRing::ringed() const {
  return frame_ && frame_->isVisible() ? frame_->widget() : nullptr;
}

void FocusRing::Follow(QWidget* now) {
  if (now == nullptr || now->isWindow() || now->focusPolicy() == Qt::NoFocus) {
    if (frame_) frame_->setWidget(nullptr);
    return;
  }
  if (!frame_) frame_ = new QFocusFrame(now->window());
  frame_->setWidget(now);
}

}  // namespace tce::ui
