// What the report adds up, from records alone: a run's record or one read
// back from its JSON document gives the same summary, so that a report
// from files equals the live one byte for byte.
#ifndef TCE_OUTPUT_REPORT_SUMMARY_H_
#define TCE_OUTPUT_REPORT_SUMMARY_H_

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "model/format.h"
#include "model/plan.h"
#include "model/run_record.h"
#include "output/record_reader.h"

namespace tce {

// Sizes in sum: tables, their size and compressed size in bytes.
struct Sums {
  size_t tables = 0;
  double size = 0;
  double compressed = 0;
  double saved() const { return size - compressed; }
  double saved_pct() const;
  void Add(const Sums& other);
};

// One table as the report counts it: the shown sizes of its run's unit
// (ShownSizeBytes), or with a plan its allocated bytes and what its
// recommendation saves.
struct ReportTable {
  const RunRecord* record;
  const TableRecord* table;
  bool estimated;  // HasStatistics
  double size;
  double compressed;
  double saved_pct;  // whole percent, as listed
};

using Named = std::pair<std::string, Sums>;

struct ReportSummary {
  Sums all;
  std::vector<Named> by_database;  // in the records' order
  std::vector<Named> by_owner;     // largest saving first
  std::vector<ReportTable> ranked;       // the 25 largest savings
  std::vector<ReportTable> unestimated;  // without statistics
  StatisticsBasis basis;
  double resting_on_none = 0;     // bytes in tables with such a column
  double resting_on_samples = 0;  // bytes in tables resting on samples
  size_t failed = 0;
  PlanTotals plan{};
  std::vector<PlanRule> rules;  // the plans' rules, each once
  std::vector<ServerIdentity> servers;  // each once, in order
  TimePoint first_start{}, last_end{};  // of the runs that succeeded
  bool any_run = false;
};

// The name a database goes by in the report: its name without a folder or
// ".db", with its server's when the records hold several servers.
std::string DatabaseLabel(const RunRecord& record, bool several_servers);

ReportSummary Summarize(const Records& records);

}  // namespace tce

#endif  // TCE_OUTPUT_REPORT_SUMMARY_H_
