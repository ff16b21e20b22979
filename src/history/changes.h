// What changed between two runs of one database, table by table: tables
// new and gone, size and rows grown or shrunk, the saving by the later
// run's method, the plan's recommendation, and tables compressed since
// (their pages fell by at least the plan's threshold while their rows
// stayed within 10 %), with the saving the earlier run estimated beside the
// fall seen. Tables are matched by owner and name; every figure is
// model/figures.h's or the plan's.
#ifndef TCE_HISTORY_CHANGES_H_
#define TCE_HISTORY_CHANGES_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "history/run_totals.h"
#include "model/plan.h"
#include "model/run_record.h"

namespace tce {

// What happened to a table, as bits: a table may have grown, gained rows
// and become worth compressing at once.
enum ChangeKind : uint32_t {
  kChangeNew = 1u << 0,
  kChangeGone = 1u << 1,
  kChangeGrown = 1u << 2,
  kChangeShrunk = 1u << 3,
  kChangeRowsUp = 1u << 4,
  kChangeRowsDown = 1u << 5,
  kChangeSavingUp = 1u << 6,
  kChangeSavingDown = 1u << 7,
  kChangeNewlyRecommended = 1u << 8,
  kChangeNoLongerRecommended = 1u << 9,
  kChangeMethod = 1u << 10,  // recommended both times, by another method
  kChangeCompressed = 1u << 11,
};
inline constexpr int kChangeKinds = 12;
// "new", "gone", "grown", ... "compressed": the words files carry.
const char* ChangeKindWord(int bit);
// The words of a table's kinds, separated by blanks.
std::string ChangeWords(uint32_t kinds);

struct TableChange {
  const TableRecord* before = nullptr;  // null for a new table
  const TableRecord* now = nullptr;     // null for a table gone
  uint32_t kinds = 0;
  double size_before = 0;  // AllocatedBytes; 0 on the missing side
  double size_now = 0;
  Fixed4 saved_before;  // SavedPct by the later run's method
  Fixed4 saved_now;
  Recommendation recommended_before = Recommendation::kLeave;
  Recommendation recommended_now = Recommendation::kLeave;
  // A table compressed since: the earlier plan's better method and its
  // saving, and how far its pages fell in percent.
  Method estimated_method = Method::kRow;
  Fixed4 estimated_pct;
  Fixed4 pages_fell_pct;

  const std::string& owner() const { return (now ? now : before)->owner; }
  const std::string& table() const { return (now ? now : before)->table; }
  double size_change() const { return size_now - size_before; }
};

// A setting the two runs were made with differently, by the record
// document's name, with both values as text.
struct SettingChange {
  std::string name;
  std::string before;
  std::string now;
};

struct Changes {
  std::shared_ptr<const RunRecord> before;
  std::shared_ptr<const RunRecord> now;
  PlanRule rule;
  // The changed tables only, the largest change in bytes first.
  std::vector<TableChange> tables;
  std::vector<SettingChange> settings;
  RunTotals totals_before, totals_now;
  // How many tables show each kind, by bit number.
  int64_t counts[kChangeKinds] = {};
  // Tables read by one run only while the runs chose their tables by
  // different settings (owners, tables, minimum size, statistics): not
  // listed, as neither new nor gone can be told from outside the other
  // run's choice.
  int64_t one_choice_only = 0;
};

// Compares `now` with `before`. Sizes are allocated bytes, savings are by
// `now`'s method, recommendations follow `rule`.
Changes CompareRuns(std::shared_ptr<const RunRecord> before,
                    std::shared_ptr<const RunRecord> now, PlanRule rule);

}  // namespace tce

#endif  // TCE_HISTORY_CHANGES_H_
