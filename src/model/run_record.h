// The record of one analysis run: what produced it (database, server
// version, a copy of the settings taken when it started, when it started and
// ended) and one entry per table it read, with unit-free figures for both
// compression methods. Everything the windows, the files and the command-line
// tool show is derived from it; figures are floored into pages or kilobytes
// only where they are shown or written.
#ifndef TCE_MODEL_RUN_RECORD_H_
#define TCE_MODEL_RUN_RECORD_H_

#include <array>
#include <chrono>
#include <optional>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/message_table.h"
#include "base/run_settings.h"
#include "engine/compute.h"
#include "engine/fixed4.h"

namespace tce {

// The unit of shown sizes: pages of the table's page size, or kilobytes
// (1024 bytes).
enum class SizeUnit : uint8_t { kPages, kKilobytes };

// The colour of the "%Saved" cell: below 20 % red, below 50 % yellow,
// otherwise green, judged on the unrounded saving.
enum class SavingClass : uint8_t { kLow, kMedium, kHigh };
SavingClass SavingClassOf(Fixed4 pct);

// How much of a table's estimate rests on real statistics: its columns by
// what their cardinality rests on.
struct StatisticsBasis {
  int32_t full = 0;     // distribution built from all rows
  int32_t sampled = 0;  // built from a sample
  int32_t none = 0;     // no distribution, or an unreadable one
  int32_t columns() const { return full + sampled + none; }
};

// One table the run read. (Its fields are ordered to pack: a run of a
// hundred thousand tables holds a hundred thousand of these.)
struct TableRecord {
  std::string owner;
  std::string table;
  Fixed4 row_count;  // the catalog's; 0 or less: no statistics
  Fixed4 pages_used;
  Fixed4 row_length;                   // bytes per uncompressed row
  ByMethod<Fixed4> compressed_length;  // bytes per compressed row
  int32_t page_size = 0;               // bytes
  StatisticsBasis basis;
  // Its figures are model/figures.h's functions of these.
};

// How a run's tables are shown: the method of its estimate and the unit of
// its sizes, both chosen by its settings.
struct Shown {
  Method method = Method::kPage;
  SizeUnit unit = SizeUnit::kPages;

  static Shown By(const RunSettings& settings);
};

// The server a database belongs to: its name as the driver gives it (the
// embedded driver: its folder) and the host the run was made on. Enough to
// tell two servers' databases of the same name apart, and the same when a
// server is rebuilt in place.
struct ServerIdentity {
  std::string name;
  std::string host;
  friend bool operator==(const ServerIdentity&, const ServerIdentity&) =
      default;
};

// The rule of a compression plan: page compression only when its whole
// saving is at least `margin` points above row compression's; a table is
// recommended when the better method saves at least `threshold` percent.
struct PlanRule {
  int margin = 10;     // points
  int threshold = 20;  // percent
  friend bool operator==(const PlanRule&, const PlanRule&) = default;
};

// The version of the record's document that this release writes; it reads
// this one and every earlier one.
inline constexpr int kRecordVersion = 1;

// What one run read and estimated.
struct RunRecord {
  std::string database;
  ServerIdentity server;
  std::string server_version;
  RunSettings settings;  // as they were when the run started
  std::chrono::system_clock::time_point started;
  std::chrono::system_clock::time_point ended;
  // Every table read, in the catalog query's order.
  std::vector<TableRecord> tables;
  // The tables listed: those whose saving by the shown method reaches the
  // minimum compression, as indexes into `tables`.
  std::vector<int32_t> listed;
  // False when the run failed part-way: these are the tables it completed.
  bool complete = true;
  // Why the database's run failed; empty when it did not. A failed run
  // holds no tables.
  std::string failure;
  // The rule of the plan made of this run, when one was made.
  std::optional<PlanRule> plan;

  Shown shown() const { return Shown::By(settings); }
  const TableRecord& Listed(size_t i) const {
    return tables[static_cast<size_t>(listed[i])];
  }
};

// The listed tables in sum: their count, and their shown sizes in bytes
// (ShownSizeBytes: allocated bytes in pages, the rows' bytes in whole
// kilobytes; tables without statistics add nothing), and the overall
// saving.
struct ResultTotals {
  bool complete = true;  // the run read the catalog to its end
  size_t tables = 0;
  double size_bytes = 0;
  double compressed_bytes = 0;
  double saved_pct = 0;  // 0 when there is no size
};
ResultTotals TotalsOf(const RunRecord& record);
// The totals line under the results grids: "64 tables listed: 1.2 GB,
// 0.7 GB compressed, 42 % saved", after "Run incomplete ... " when the run
// failed part-way.
// `screen`: sizes as the windows write them (ScreenBytes), else as files
// and standard error do (HumanBytes).
std::string TotalsLine(const ResultTotals& totals, bool screen = false);
// What the totals line's figures are, for its tooltip.
std::string TotalsDefinition(SizeUnit unit, Method method);

}  // namespace tce

#endif  // TCE_MODEL_RUN_RECORD_H_
