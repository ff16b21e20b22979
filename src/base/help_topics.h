// Help topics: short text files beside the program, one per information
// label, shown in the one help window; and the fixed texts of the
// disclaimer panel.
#ifndef TCE_BASE_HELP_TOPICS_H_
#define TCE_BASE_HELP_TOPICS_H_

#include <string>

namespace tce {

// The help window as the logic sees it; the Qt layer implements it.
class HelpWindow {
 public:
  virtual ~HelpWindow() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetText(const std::string& text) = 0;
  // Shows the window without making it modal.
  virtual void Show() = 0;
};

// Reads the topic file (looked for in the current directory, then beside the
// program) and shows it: line 1 is the caption; the body's lines are
// trimmed, consecutive lines join with a blank, each empty line adds
// CR LF CR LF. A file that cannot be opened shows nothing.
void ShowHelpTopic(const std::string& file_name, HelpWindow& window);

// The three paragraphs of the disclaimer, separated by empty lines.
std::string DisclaimerText();

inline constexpr char kProgramVersion[] = TCE_VERSION;
inline constexpr char kVersionLabel[] = "Version: " TCE_VERSION;
inline constexpr char kDateLabel[] = "Date: 2009-03-25";
inline constexpr char kCreditGroup[] = "Tarvex Database Tools Group";
inline constexpr char kCreditLaboratory[] = "Storage Efficiency Laboratory";

}  // namespace tce

#endif  // TCE_BASE_HELP_TOPICS_H_
