// The report to hand on: one self-contained HTML page (inline styles and
// SVG charts, no script, nothing fetched) that says what was estimated and
// what a database, a whole server or a fleet of servers would gain. It is
// made from records only: those of the run just made, or those read back
// from earlier runs' JSON documents, so that both give the same page. The
// page has landmarks, text alternatives for its charts and print rules
// that keep headings with what follows.
#ifndef TCE_OUTPUT_REPORT_H_
#define TCE_OUTPUT_REPORT_H_

#include <string>
#include <string_view>

#include "base/message_table.h"
#include "output/record_reader.h"

namespace tce {

// The page of the records' runs (failed ones are named); `more` is put
// after the page's own sections (the history's, when there is one).
std::string ReportHtml(const Records& records, const MessageTable& messages,
                       const std::string& more = {});

// Text for HTML: escaped, control characters as blanks, and bytes that are
// not UTF-8 as U+FFFD.
std::string Html(std::string_view text);

}  // namespace tce

#endif  // TCE_OUTPUT_REPORT_H_
