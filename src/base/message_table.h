// MessageTable: the numbered screen texts (window and tab captions, panel
// introductions, grid headers, user messages). Built-in English texts,
// entries 1 to 99 replaceable from the optional file "TarvexCompEst.msg".
#ifndef TCE_BASE_MESSAGE_TABLE_H_
#define TCE_BASE_MESSAGE_TABLE_H_

#include <array>
#include <string>
#include <vector>

namespace tce {

inline constexpr char kMessageFileName[] = "TarvexCompEst.msg";

class MessageTable {
 public:
  static constexpr int kSize = 200;

  // All 200 entries empty.
  MessageTable() = default;

  // Stores the 52 built-in texts.
  void LoadBuiltInTexts();

  // Reads NUMBER,TEXT lines from the file: NUMBER is read leniently and
  // must be 1 to 99; TEXT (trimmed, possibly empty) replaces the entry. A
  // missing file or unreadable lines are ignored.
  void ReadMessageFile(const std::string& path);

  // Entry n (1 to 200); empty for any other number.
  const std::string& operator[](int n) const;
  void Set(int n, std::string text);

 private:
  std::array<std::string, kSize + 1> entries_;  // index 0 unused
};

// Where a screen text goes when start-up applies it.
enum class ScreenTextTarget {
  kWindowCaption,  // the caption of the window `control`
  kCaption,        // the caption of a control (every element when index < 0)
  kTabCaption,     // the caption of tab `index` of the tab control
  kGridHeader,     // header cell `index` of a grid, with a width in twips
};

struct ScreenText {
  ScreenTextTarget target;
  const char* control;  // the control's name
  int index;            // element, tab or column; -1 for all elements
  int entry;            // the MessageTable entry shown
  int width_twips;      // grid headers only
};

// The screen texts in the order start-up applies them.
const std::vector<ScreenText>& StartupScreenTexts();

}  // namespace tce

#endif  // TCE_BASE_MESSAGE_TABLE_H_
