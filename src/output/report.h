// The report to hand on: one self-contained HTML page (inline styles and
// SVG charts, no script, nothing fetched) that says what was estimated and
// what the whole server, or a fleet of servers, would gain. It is made from
// the records of a run, or from the JSON documents earlier runs wrote.
#ifndef TCE_OUTPUT_REPORT_H_
#define TCE_OUTPUT_REPORT_H_

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/plan.h"
#include "base/json_value.h"
#include "model/run_record.h"

namespace tce {

struct ReportTable {
  std::string owner;
  std::string table;
  double rows = 0;
  bool has_statistics = false;
  double size_bytes = 0;        // as the totals count it
  double compressed_bytes = 0;  // by the run's method
  double saved_pct = 0;         // as listed
  StatisticsBasis basis;
};


// One database's run: its listed tables (or plan lines), its settings and
// totals, or why it failed.
struct ReportDatabase {
  std::string name;
  std::string source;  // the file or server it was read from
  std::string error;   // the run failed: nothing else is set
  std::string settings;  // the options in words
  bool plan = false;     // the tables are the plan's, with its totals
  PlanTotals plan_totals{};
  std::vector<ReportTable> tables;
  ResultTotals totals;
};

struct Report {
  std::string source;     // the server, or the runs it was made from
  std::string generated;  // when, in words
  std::vector<ReportDatabase> databases;
};

// A database's part of the report from its run's record: its listed
// tables, or with `rule` the plan's lines and totals.
ReportDatabase ReportOfRun(const std::string& name,
                           std::shared_ptr<const RunRecord> record,
                           const std::optional<PlanRule>& rule);

// The databases of one --json document (a run, a plan, or several
// databases' runs); false, with `error` saying why, when the document is
// not one this tool writes.
bool ReportOfDocument(const Json& document, std::vector<ReportDatabase>* out,
                      std::string* error);

// The page.
std::string ReportHtml(const Report& report);

}  // namespace tce

#endif  // TCE_OUTPUT_REPORT_H_
