// Where the keyboard focus is, plain to see: the control that has it is
// ringed in the highlight colour, 2 pixels wide and 1 pixel outside it, and
// a grid's current cell is framed the same way. The ring is not the default
// button's look (a darker edge inside the button), so the two never read
// alike.
#ifndef TCE_UI_FOCUS_STYLE_H_
#define TCE_UI_FOCUS_STYLE_H_

#include <QFocusFrame>
#include <QObject>
#include <QPointer>
#include <QProxyStyle>

namespace tce::ui {

// The application's style with the focus drawn as above.
class FocusStyle : public QProxyStyle {
 public:
  explicit FocusStyle(QStyle* base);

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                     QPainter* painter,
                     const QWidget* widget = nullptr) const override;
  void drawControl(ControlElement element, const QStyleOption* option,
                   QPainter* painter,
                   const QWidget* widget = nullptr) const override;
  int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr) const override;
  int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                const QWidget* widget = nullptr,
                QStyleHintReturn* returned = nullptr) const override;
};

// Makes FocusStyle the application's style (once; the style it wraps is
// the one the application had).
void UseFocusStyle();

// Keeps the ring around whatever control has the focus, in every window of
// the application, as the focus moves.
class FocusRing : public QObject {
 public:
  FocusRing();
  ~FocusRing() override;
  // The control ringed now, or null.
  QWidget* ringed() const;

 private:
  void Follow(QWidget* now);

  QPointer<QFocusFrame> frame_;
};

}  // namespace tce::ui

#endif  // TCE_UI_FOCUS_STYLE_H_
