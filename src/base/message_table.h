// MessageTable: the numbered screen texts (window and tab captions, panel
// introductions, grid headers, user messages). Built-in English texts,
// entries 1 to 99 replaceable from the optional file "TarvexCompEst.msg".
#ifndef TCE_BASE_MESSAGE_TABLE_H_
#define TCE_BASE_MESSAGE_TABLE_H_

#include <array>
#include <string>
#include <vector>

#include "base/controls.h"

namespace tce {

inline constexpr char kMessageFileName[] = "TarvexCompEst.msg";

// The entries the program shows, by their numbers in the message file.
enum class Msg : int {
  kProgramTitle = 1,
  kCopyright = 2,
  kContinue = 3,
  kExit = 4,
  kDisclaimer = 10,
  kDisclaimerIntro = 11,
  kConnection = 20,
  kConnectionIntro = 21,
  kDatabase = 22,
  kUserid = 23,
  kPassword = 24,
  kOptions = 25,
  kOptionsIntro = 26,
  kMinCompression = 27,
  kMinTableSize = 28,
  kStatisticsLevel = 29,
  kShowAllTables = 30,
  kIgnoreNoStatistics = 31,
  kCardinality = 32,
  kMaxCardinality = 33,
  kColumnCardinality = 34,
  kExportDelimiter = 35,
  kTabDelimiter = 36,
  kCommaDelimiter = 37,
  kSchemas = 38,
  kTables = 39,
  kCompressionEstimate = 40,
  kPageEstimate = 41,
  kRowEstimate = 42,
  kResults = 43,
  kCompressionDetails = 44,
  kTableDetails = 45,
  kSavingsDisplay = 46,
  kByteSavings = 47,
  kPageSavings = 48,
  kSizeK = 60,
  kCompK = 61,
  kSaved = 62,
  kCount = 63,
  kColumn = 64,
  kTable = 65,
  kSchema = 66,
  kType = 67,
  kBytes = 68,
  kNoStatistics = 70,
  kPages = 71,
  kCompPages = 72,
  kPageSize = 73,
  kNoDatabase = 80,
  kConnectError = 81,
  kNothingFound = 82,
  kTableInfoError = 83,
};

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

  const std::string& operator[](Msg entry) const;
  void Set(Msg entry, std::string text);

 private:
  std::array<std::string, kSize + 1> entries_;  // index 0 unused
};

// Where a screen text goes when start-up applies it.
enum class ScreenTextTarget {
  kWindowCaption,  // the caption of the window `control`
  kCaption,        // the caption of a control (every element of an array
                   // when index < 0)
  kTabCaption,     // the caption of tab `index` of the tab control
  kGridHeader,     // header cell `index` of a grid, with a width in twips
};

struct ScreenText {
  ScreenTextTarget target;
  Control control;
  int index;            // element, tab or column; -1 for all elements
  Msg entry;            // the MessageTable entry shown
  int width_twips;      // grid headers only
};

// The screen texts in the order start-up applies them.
const std::vector<ScreenText>& StartupScreenTexts();

}  // namespace tce

#endif  // TCE_BASE_MESSAGE_TABLE_H_
