#include "base/help_topics.h"

#include "base/text_file.h"
#include "base/text_util.h"

namespace tce {

void ShowHelpTopic(const std::string& file_name, HelpWindow& window) {
  std::string body;
  bool paragraph_break = false;
  int line_number = 0;
  const bool opened =
      ReadTextLines(LocateOptionalFile(file_name), [&](std::string_view raw) {
        ++line_number;
        const std::string_view line = TrimBlanks(raw);
        if (line_number == 1) {
          window.SetCaption(std::string(line));
        } else if (body.empty()) {
          body = line;
        } else if (line.empty()) {
          paragraph_break = true;
          body += "\r\n\r\n";
        } else if (!paragraph_break) {
          body += ' ';
          body += line;
        } else {
          body += line;
          paragraph_break = false;
        }
      });
  if (!opened) return;
  window.SetText(body);
  window.Show();
}

std::string DisclaimerText() {
  return "The information in this program and the estimates it produces are "
         "provided as is, without warranties of any kind, either express or "
         "implied, including but not limited to the implied warranties of "
         "merchantability and fitness for a particular purpose.\r\n\r\n"
         "The Tarvex Database Tools Group does not warrant the accuracy or "
         "reliability of the information or of the results obtained by using "
         "it, and shall not be liable for any damages, direct or indirect, "
         "arising from its use, even if it has been advised of the possibility "
         "of such damages.\r\n\r\n"
         "The information is provided for illustrative purposes only. Actual "
         "results obtained with the product may vary; the responsibility for "
         "achieving the calculated results remains with the user. The results "
         "are confidential to the customer for whom they were prepared and may "
         "not be passed to third parties without written permission.";
}

}  // namespace tce
