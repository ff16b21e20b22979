// The texts of the windows and the report that are not among the original
// screen texts: built-in English, each replaceable from the message file
// by its number like the others.
#include "base/message_table.h"

namespace tce {

void LoadAddedTexts(std::array<std::string, kLastAddedMessage + 1>& entries) {
  struct Added {
    Msg entry;
    const char* text;
  };
  static const Added kAdded[] = {
      {Msg::kPlanTitle, "Compression plan"},
      {Msg::kPlanSize, "Size"},
      {Msg::kPlanRowSaved, "Row %Saved"},
      {Msg::kPlanPageSaved, "Page %Saved"},
      {Msg::kPlanRecommendation, "Recommendation"},
      {Msg::kPlanSaved, "Saved"},
      {Msg::kPlanPage, "Page"},
      {Msg::kPlanRow, "Row"},
      {Msg::kPlanLeave, "Leave as is"},
      {Msg::kPlanNoStatistics, "No statistics"},
      {Msg::kFormatTab, "Tab-delimited"},
      {Msg::kFormatComma, "Comma-delimited"},
      {Msg::kFormatJson, "JSON"},
      {Msg::kPlanExport, "&Export..."},
      {Msg::kPlanExportTip, "Write the plan to a file"},
      {Msg::kClose, "Close"},
      {Msg::kFormatLabel, "&Format:"},
      {Msg::kPointsSuffix, " points"},
      {Msg::kPercentSuffix, " %"},
      {Msg::kPlanMargin, "Page only with a &margin of"},
      {Msg::kPlanMarginTip,
       "Page compression is chosen only when it saves at least this many "
       "points more than row compression"},
      {Msg::kPlanThreshold, "Compress from a &saving of"},
      {Msg::kPlanThresholdTip,
       "A table is recommended when the better method saves at least this"},
      {Msg::kPlanTables, "Tables"},
      {Msg::kPlanSizeAfter, "Size after"},
      {Msg::kPlanTitleOf, "Compression plan: "},
      {Msg::kPlanSizeTip,
       "The space the table takes: its pages in use times its page size"},
      {Msg::kPlanSavedTip,
       "What the recommendation saves: the size times the recommended "
       "method's saving (nothing when the table is left as it is)"},
      {Msg::kStatistics, "Statistics"},
      {Msg::kSizePagesTip, "The pages the table uses"},
      {Msg::kSizeKTip,
       "The estimated size of the table's rows in kilobytes: rows times the "
       "row length (not the space allocated to it)"},
      {Msg::kCompPagesTip,
       "The pages the table would use compressed: its pages less the "
       "estimated saving"},
      {Msg::kCompKTip,
       "The estimated size of the rows compressed, in kilobytes: rows times "
       "the compressed row length"},
      {Msg::kSavedTip,
       "The estimated saving in whole percent; the cell's colour is judged "
       "on the unrounded saving"},
      {Msg::kWhy, "&Why?"},
      {Msg::kWhyTip,
       "How the estimate of this table is made, figure by figure (Enter on "
       "the column list does the same)"},
  };
  for (const Added& added : kAdded)
    entries[static_cast<size_t>(added.entry)] = added.text;
}

}  // namespace tce
