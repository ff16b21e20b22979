// What changed since an earlier run, as files for programs (through the
// result writer: delimited lines or JSON) and as a summary for people.
//
// A changed table's record: owner, table, changes (the kinds' words),
// size_before, size_now, size_change (allocated bytes), rows_before,
// rows_now, saved_pct_before, saved_pct_now, saving_points (by the later
// run's method), recommendation_before, recommendation_now (by the plan's
// rule), and for a table compressed since estimated_method, estimated_pct
// and pages_fell_pct. A side a table lacks is null (empty when delimited).
#ifndef TCE_HISTORY_CHANGES_OUTPUT_H_
#define TCE_HISTORY_CHANGES_OUTPUT_H_

#include <string>
#include <vector>

#include "history/changes.h"
#include "history/history.h"
#include "output/result_writer.h"

namespace tce {

// The two runs compared, for the document.
struct ComparedRuns {
  KeptRun before;
  int64_t now_id = 0;  // 0 when this run was not kept
};

std::vector<std::string> ChangesHeaderTexts();
std::vector<std::string> SettingChangesHeaderTexts();

// The changed tables' records, and the settings' lines, each into an open
// list.
void WriteChangeRecords(ResultWriter& writer, const Changes& changes);
void WriteSettingChangeRecords(ResultWriter& writer, const Changes& changes);

// One database's document: its database, the runs compared, the rule, the
// settings that differ, the changed tables and the counts by kind. In
// delimited lines: the list of changes, then the settings that differ,
// when any do.
void WriteChangesDocument(ResultWriter& writer, const Changes& changes,
                          const ComparedRuns& runs);

// For people: how many tables changed since which run, by kind, and the
// size then and now; then the settings that differ. Ends with a line end.
std::string ChangesSummary(const Changes& changes, const ComparedRuns& runs);

}  // namespace tce

#endif  // TCE_HISTORY_CHANGES_OUTPUT_H_
