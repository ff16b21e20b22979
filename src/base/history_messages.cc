// The texts of the history of runs: the report's sections since the last
// run and the History window, each replaceable from the message file by
// its number.
#include "base/message_table.h"

namespace tce {

void LoadHistoryTexts(std::array<std::string, kLastAddedMessage + 1>& entries) {
  struct Text {
    Msg entry;
    const char* text;
  };
  static const Text kTexts[] = {
      {Msg::kHistorySince, "Since the last run"},
      {Msg::kHistorySinceOf, "Since the last run: %1"},
      {Msg::kHistoryNoEarlier,
       "No earlier run of this database is kept in the history."},
      {Msg::kHistoryComparedWith,
       "Compared with the run of %1 (run %2 of the history). Tables "
       "changed: %3."},
      {Msg::kHistoryCounts,
       "%1 new, %2 gone, %3 grown, %4 shrunk, %5 newly worth compressing, %6 "
       "no longer, %7 compressed since."},
      {Msg::kHistorySettingsDiffer,
       "The two runs were made with different settings: %1."},
      {Msg::kHistoryLargest, "The largest changes"},
      {Msg::kHistoryNewlyWorth, "Newly worth compressing"},
      {Msg::kHistoryFastest, "The ten fastest growing"},
      {Msg::kHistoryOutcome, "Compressed since: the estimate and the outcome"},
      {Msg::kHistoryChanges, "Changes"},
      {Msg::kHistoryThen, "Then"},
      {Msg::kHistoryNow, "Now"},
      {Msg::kHistoryChange, "Change"},
      {Msg::kHistorySavedThen, "%Saved then"},
      {Msg::kHistorySavedNow, "%Saved now"},
      {Msg::kHistoryMethod, "Method"},
      {Msg::kHistoryEstimated, "Saving estimated then"},
      {Msg::kHistoryPagesFell, "Pages fell by"},
      {Msg::kHistoryTrend, "Size over the kept runs"},
      {Msg::kHistoryTrendTitle,
       "Size and estimated compressed size of %1, kept runs: %2, the first "
       "%3 and %4 compressed on %5, the last %6 and %7 compressed on %8"},
      {Msg::kHistoryNoneChanged, "No table changed."},
      // The words of the kinds of change, in their order, separated by ";".
      {Msg::kHistoryKindWords,
       "new|gone|grown|shrunk|more rows|fewer rows|saving up|saving down|"
       "newly worth compressing|no longer worth compressing|method changed|"
       "compressed"},
      {Msg::kHistoryTitle, "History of runs"},
      {Msg::kHistoryRun, "Run"},
      {Msg::kHistoryWhen, "When"},
      {Msg::kHistoryNoFile,
       "No history is kept. Name a history file with a line HISTORY=FILE in "
       "TarvexCompEst.ini: every completed run is then kept in it."},
      {Msg::kHistoryChangesSince, "Changes since the chosen run"},
      {Msg::kHistoryTipNew, "New since the last run (%1)."},
      {Msg::kHistoryTipChanged, "Since the last run (%1): %2."},
      {Msg::kHistoryTipSame, "Unchanged since the last run (%1)."},
      {Msg::kHistoryNotKept, "The run could not be kept in the history: %1"},
      {Msg::kHistoryNoRuns, "No run of this database is kept in the history."},
      {Msg::kHistoryRunsTip,
       "The runs of this database kept in the history. Choose one to see "
       "what changed since"},
      {Msg::kHistorySizeLegend, "size"},
      {Msg::kHistoryOneChoice,
       "%1 tables read by one run only are not listed: the runs chose their "
       "tables differently, so whether they are new or gone cannot be told."},
  };
  for (const Text& text : kTexts)
    entries[static_cast<size_t>(text.entry)] = text.text;
}

}  // namespace tce
