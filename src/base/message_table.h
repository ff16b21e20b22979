// MessageTable: the numbered screen texts (window and tab captions, panel
// introductions, grid headers, user messages). Built-in English texts,
// entries 1 to 99 replaceable from the optional file "TarvexCompEst.msg".
// Entries 100 to 200 stay empty; the texts of the windows and the report
// that came after those (the plan window, the report's labels) are entries
// 201 to 400, replaceable from the same file.
#ifndef TCE_BASE_MESSAGE_TABLE_H_
#define TCE_BASE_MESSAGE_TABLE_H_

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>
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

  // The plan window.
  kPlanTitle = 201,
  kPlanSize = 202,
  kPlanRowSaved = 203,
  kPlanPageSaved = 204,
  kPlanRecommendation = 205,
  kPlanSaved = 206,
  kPlanPage = 207,
  kPlanRow = 208,
  kPlanLeave = 209,
  kPlanNoStatistics = 210,
  kFormatTab = 211,
  kFormatComma = 212,
  kFormatJson = 213,
  kPlanExport = 214,
  kPlanExportTip = 215,
  kClose = 216,
  kFormatLabel = 217,
  kPointsSuffix = 218,
  kPercentSuffix = 219,
  kPlanMargin = 220,
  kPlanMarginTip = 221,
  kPlanThreshold = 222,
  kPlanThresholdTip = 223,
  kPlanTables = 224,
  kPlanSizeAfter = 225,
  kPlanTitleOf = 226,
  kPlanSizeTip = 227,
  kPlanSavedTip = 228,
  // The table details' added column, and the results headers' tooltips.
  kStatistics = 230,
  kSizePagesTip = 231,
  kSizeKTip = 232,
  kCompPagesTip = 233,
  kCompKTip = 234,
  kSavedTip = 235,
  // The report; %1, %2 ... stand for the figures filled in.
  kReportTitle = 240,
  kReportEstimated = 241,
  kReportDatabase = 242,
  kReportServer = 243,
  kReportOptions = 244,
  kReportFailed = 245,
  kReportTotals = 246,
  kReportSizeNow = 247,
  kReportCompressed = 248,
  kReportSaved = 249,
  kReportTables = 250,
  kReportByDatabase = 251,
  kReportByOwner = 252,
  kReportDatabaseOwner = 253,
  kReportSavedPct = 254,
  kReportPlan = 255,
  kReportRecommendation = 256,
  kReportAfter = 257,
  kReportTop = 258,
  kReportOwner = 259,
  kReportTable = 260,
  kReportRows = 261,
  kReportSize = 262,
  kReportBasis = 263,
  kReportBasisColumns = 264,
  kReportBasisShare = 265,
  kReportBasisSizes = 266,
  kReportUnestimated = 267,
  kReportNoneUnestimated = 268,
  kReportUnestimatedText = 269,
  kReportMore = 270,
  kReportDatabases = 271,
  kReportOneDatabase = 272,
  kReportFailedCount = 273,
  kReportWhen = 274,
  kReportWhenSpan = 275,
  kReportServerOn = 276,
  kReportServers = 277,
  kReportAllDatabases = 278,
  kReportSizeLegend = 279,
  kReportCompressedLegend = 280,
  kReportPlanHeadline = 281,
  kReportPlanOptions = 282,
  kReportSizesPages = 283,
  kReportSizesKilobytes = 284,
  kReportSizesPlan = 285,
  kReportChartOf = 286,
  // The table details' button that opens how the estimate is made.
  kWhy = 300,
  kWhyTip = 301,

  // The history of runs: the report's sections and the History window
  // (entries 360 to 399).
  kHistorySince = 360,
  kHistorySinceOf = 361,
  kHistoryNoEarlier = 362,
  kHistoryComparedWith = 363,
  kHistoryCounts = 364,
  kHistorySettingsDiffer = 365,
  kHistoryLargest = 366,
  kHistoryNewlyWorth = 367,
  kHistoryFastest = 368,
  kHistoryOutcome = 369,
  kHistoryChanges = 370,
  kHistoryThen = 371,
  kHistoryNow = 372,
  kHistoryChange = 373,
  kHistorySavedThen = 374,
  kHistorySavedNow = 375,
  kHistoryMethod = 376,
  kHistoryEstimated = 377,
  kHistoryPagesFell = 378,
  kHistoryTrend = 379,
  kHistoryTrendTitle = 380,
  kHistoryNoneChanged = 381,
  kHistoryKindWords = 382,
  kHistoryTitle = 383,
  kHistoryRun = 384,
  kHistoryWhen = 385,
  kHistoryNoFile = 386,
  kHistoryChangesSince = 387,
  kHistoryTipNew = 388,
  kHistoryTipChanged = 389,
  kHistoryTipSame = 390,
  kHistoryNotKept = 391,
  kHistoryNoRuns = 392,
  kHistoryRunsTip = 393,
  kHistorySizeLegend = 394,
  kHistoryOneChoice = 395,
};

// The first and last entry of the added texts.
inline constexpr int kFirstAddedMessage = 201;
inline constexpr int kLastAddedMessage = 400;

// Fills the added texts (entries 201 on) of a table's entries.
void LoadAddedTexts(std::array<std::string, kLastAddedMessage + 1>& entries);
// Fills the history's texts (entries 360 to 399).
void LoadHistoryTexts(std::array<std::string, kLastAddedMessage + 1>& entries);

class MessageTable {
 public:
  static constexpr int kSize = kLastAddedMessage;

  // All entries empty.
  MessageTable() = default;

  // Stores the 52 built-in texts of entries 1 to 99 and the added texts
  // from 201 on.
  void LoadBuiltInTexts();

  // Reads NUMBER,TEXT lines from the file: NUMBER is read leniently and
  // must be 1 to 99 or an added entry (201 to 400); TEXT (trimmed, possibly empty) replaces the entry. A
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

// A message with its figures filled in: %1 is the first of `figures`, %2
// the second, up to %9; a % before anything else stays.
std::string Fill(std::string_view text,
                 std::initializer_list<std::string> figures);

// The screen texts in the order start-up applies them.
const std::vector<ScreenText>& StartupScreenTexts();

}  // namespace tce

#endif  // TCE_BASE_MESSAGE_TABLE_H_
