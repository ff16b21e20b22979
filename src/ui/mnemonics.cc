#include "ui/mnemonics.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QToolButton>
#include <map>

namespace tce::ui {
namespace {

// A letter that can be marked: a plain ASCII letter or digit, which every
// keyboard layout reaches with Alt.
bool Markable(QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); }

// A letter of a shown text and where it stands.
struct Candidate {
  QChar letter;  // lower case
  qsizetype at;
};

// The letters a shown text offers, best first: the first letters of its
// words, then the others, each letter once.
std::vector<Candidate> Candidates(const QString& shown) {
  std::vector<Candidate> initials, others;
  for (qsizetype i = 0; i < shown.size(); ++i) {
    if (!Markable(shown[i])) continue;
    const bool initial = i == 0 || !shown[i - 1].isLetterOrNumber();
    (initial ? initials : others).push_back({shown[i].toLower(), i});
  }
  std::vector<Candidate> all;
  std::set<QChar> seen;
  for (const auto* list : {&initials, &others}) {
    for (const Candidate& c : *list) {
      if (seen.insert(c.letter).second) all.push_back(c);
    }
  }
  return all;
}

// One letter for each text where it can be had (a bipartite matching by
// augmenting paths). A text takes its best free letter; only when none is
// free does it take one from a text that can move to another.
class Matching {
 public:
  Matching(const std::vector<std::vector<Candidate>>& candidates,
           const std::set<QChar>& taken)
      : candidates_(candidates), taken_(taken), chosen_(candidates.size(), -1) {
    for (size_t i = 0; i < candidates_.size(); ++i) {
      std::set<QChar> visited;
      Augment(i, visited);
    }
  }
  // The chosen candidate of text `i`, or -1.
  int chosen(size_t i) const { return chosen_[i]; }

 private:
  bool Augment(size_t i, std::set<QChar>& visited) {
    const std::vector<Candidate>& mine = candidates_[i];
    for (bool free_only : {true, false}) {
      for (size_t c = 0; c < mine.size(); ++c) {
        const QChar letter = mine[c].letter;
        const auto owner = owner_.find(letter);
        const bool free = owner == owner_.end();
        if (taken_.count(letter) > 0 || free != free_only ||
            visited.count(letter) > 0) {
          continue;
        }
        visited.insert(letter);
        if (free || Augment(owner->second, visited)) {
          owner_[letter] = i;
          chosen_[i] = static_cast<int>(c);
          return true;
        }
      }
    }
    return false;
  }

  const std::vector<std::vector<Candidate>>& candidates_;
  const std::set<QChar>& taken_;
  std::vector<int> chosen_;
  std::map<QChar, size_t> owner_;
};

// Whether a frame holds a control that takes the focus and shows no text
// of its own, which the frame's caption then names.
bool NamesAControl(QGroupBox* box) {
  if (box->title().isEmpty()) return false;
  for (QWidget* child : box->findChildren<QWidget*>()) {
    if ((child->focusPolicy() & Qt::TabFocus) &&
        child->focusProxy() == nullptr &&
        qobject_cast<QAbstractButton*>(child) == nullptr &&
        child->window() == box->window()) {
      return true;
    }
  }
  return false;
}

// Whether a button shows its text (a toolbar's icon buttons do not).
bool ShowsText(QAbstractButton* button) {
  auto* tool = qobject_cast<QToolButton*>(button);
  const bool icon_only = tool != nullptr &&
                         tool->toolButtonStyle() == Qt::ToolButtonIconOnly &&
                         !tool->icon().isNull();
  return !icon_only && !button->text().isEmpty();
}

}  // namespace

QString Literal(const QString& text) {
  QString literal = text;
  return literal.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString ShownText(const QString& text) {
  QString shown;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

QChar MarkedLetter(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) continue;
    if (text[i + 1] != QLatin1Char('&')) return text[i + 1].toLower();
    ++i;  // a doubled ampersand shows one
  }
  return {};
}

std::vector<Labelled> LabelledControls(QWidget* root) {
  std::vector<Labelled> controls;
  for (QWidget* child : root->findChildren<QWidget*>()) {
    if (child->window() != root->window()) continue;  // a dialog's own
    if (auto* button = qobject_cast<QAbstractButton*>(child)) {
      if (ShowsText(button))
        controls.push_back({button->text(), [button](const QString& t) {
                              button->setText(t);
                            }});
    } else if (auto* label = qobject_cast<QLabel*>(child)) {
      if (label->buddy() != nullptr)
        controls.push_back(
            {label->text(), [label](const QString& t) { label->setText(t); }});
    } else if (auto* box = qobject_cast<QGroupBox*>(child)) {
      if (NamesAControl(box))
        controls.push_back(
            {box->title(), [box](const QString& t) { box->setTitle(t); }});
    }
  }
  return controls;
}

std::vector<Labelled> LabelledTabs(QTabBar* bar) {
  std::vector<Labelled> tabs;
  for (int i = 0; i < bar->count(); ++i) {
    tabs.push_back({bar->tabText(i),
                    [bar, i](const QString& t) { bar->setTabText(i, t); }});
  }
  return tabs;
}

std::set<QChar> MarkLetters(const std::vector<Labelled>& controls,
                            std::set<QChar> taken) {
  // Letters the texts mark themselves are theirs.
  std::vector<size_t> unmarked;
  for (size_t i = 0; i < controls.size(); ++i) {
    const QChar own = MarkedLetter(controls[i].text);
    if (own.isNull()) {
      unmarked.push_back(i);
    } else {
      taken.insert(own);
    }
  }
  std::vector<QString> shown;
  std::vector<std::vector<Candidate>> candidates;
  for (size_t i : unmarked) {
    shown.push_back(ShownText(controls[i].text));
    candidates.push_back(Candidates(shown.back()));
  }
  const Matching matching(candidates, taken);
  for (size_t k = 0; k < unmarked.size(); ++k) {
    const int chosen = matching.chosen(k);
    if (chosen < 0) continue;
    const Candidate& c = candidates[k][static_cast<size_t>(chosen)];
    const QString& text = shown[k];
    controls[unmarked[k]].set(Literal(text.left(c.at)) + QLatin1Char('&') +
                              Literal(text.mid(c.at)));
    taken.insert(c.letter);
  }
  return taken;
}

}  // namespace tce::ui
