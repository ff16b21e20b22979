// The pieces the report page is built of: escaped text, cells of sizes
// with their exact bytes, and the SVG bar chart with its text alternative.
#ifndef TCE_OUTPUT_REPORT_PARTS_H_
#define TCE_OUTPUT_REPORT_PARTS_H_

#include <string>
#include <vector>

#include "base/message_table.h"
#include "output/report_summary.h"

namespace tce {

// A size in human units, with its exact bytes for machines (and, with
// `key`, the name of the total it is); a minus sign before a negative one.
std::string BytesCell(double bytes, const char* key = nullptr);
// A number cell.
std::string NumberCell(const std::string& text);
// A table head row of `headers`, inside <thead> so that a printed table
// repeats it on every page.
std::string HeadRow(const std::vector<std::string>& headers);

// A section headed `title`, labelled by its heading for assistive readers;
// printed, it is kept on one page when it fits on one.
std::string Section(const std::string& id, const std::string& title,
                    const std::string& body);

// The sections after the totals: by database, by owner, the plan, the
// largest savings, what the estimate rests on, and the tables without
// statistics.
std::string ReportBody(const ReportSummary& s, const MessageTable& m);

// Horizontal bars of each part's size now and compressed, with the saving;
// titled `title` for readers that do not see it (the figures are in the
// table beside it). Empty when there is nothing to draw.
std::string BarChart(const std::vector<Named>& parts, const std::string& title,
                     const MessageTable& messages, int id);

}  // namespace tce

#endif  // TCE_OUTPUT_REPORT_PARTS_H_
