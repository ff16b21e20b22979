// Alt+letter keys for the windows' labelled controls. A text the program is
// given to show (a message, a caption) shows exactly as given: the window
// underlines one of its letters, chosen when the window is built so that no
// two controls shown together share one. A text that marks its own letter
// (an added text such as "&Why?") keeps it.
#ifndef TCE_UI_MNEMONICS_H_
#define TCE_UI_MNEMONICS_H_

#include <QString>
#include <functional>
#include <set>
#include <vector>

class QTabBar;
class QWidget;

namespace tce::ui {

// A text with its ampersands doubled, so that a control shows it as it is.
QString Literal(const QString& text);
// A control's text as shown: its mark gone, doubled ampersands single.
QString ShownText(const QString& text);
// The letter a control's text marks, in lower case; null when none.
QChar MarkedLetter(const QString& text);

// A control that shows a text and can take a letter.
struct Labelled {
  QString text;  // as set on the control
  std::function<void(const QString&)> set;
};

// The labelled controls of `root`'s window among `root`'s children, in the
// order they were made: buttons that show a text, labels with a buddy, and
// frames whose caption names a control without a text of its own (a
// slider, a text box, a grid).
std::vector<Labelled> LabelledControls(QWidget* root);
// The tabs of a tab bar.
std::vector<Labelled> LabelledTabs(QTabBar* bar);

// Marks one letter in each text that marks none, preferring the first
// letters of its words; no letter of `taken` and no letter twice. Returns
// `taken` with the letters of `controls` added. A text whose letters are
// all taken stays unmarked.
std::set<QChar> MarkLetters(const std::vector<Labelled>& controls,
                            std::set<QChar> taken);

}  // namespace tce::ui

#endif  // TCE_UI_MNEMONICS_H_
