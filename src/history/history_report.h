// The report's history: for each completed run among the records, what
// changed since the last run of its database kept before it (the largest
// changes, the tables newly worth compressing, the ten fastest growing,
// those compressed since with the estimate beside the outcome) and its
// database's trend over the kept runs. Made from the history file's
// contents and the records alone, so that the report of a run's JSON
// equals the live one while the file holds the same runs.
#ifndef TCE_HISTORY_HISTORY_REPORT_H_
#define TCE_HISTORY_HISTORY_REPORT_H_

#include <string>

#include "base/message_table.h"
#include "history/history.h"
#include "output/record_reader.h"

namespace tce {

Status HistorySections(History& history, const Records& records,
                       const MessageTable& messages, std::string* html);

}  // namespace tce

#endif  // TCE_HISTORY_HISTORY_REPORT_H_
