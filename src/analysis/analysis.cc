#include "analysis/analysis.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "analysis/catalog_rows.h"
#include "model/figures.h"
#include "base/text_util.h"
#include "db/catalog_query.h"
#include "db/statement.h"

namespace tce {
namespace {

// The progress ticks: one before each fetch while the count of listed
// tables is a multiple of ten, wrapping after 100.
class ProgressTicker {
 public:
  explicit ProgressTicker(RunProgress* progress) : progress_(progress) {}
  // False when the run is to stop.
  bool BeforeFetch(int listed) {
    if (progress_ == nullptr) return true;
    if (listed % 10 == 0) {
      ++tick_;
      progress_->Update(tick_, listed);
      if (tick_ >= 100) tick_ = 0;
    }
    return !progress_->StopRequested();
  }

 private:
  RunProgress* progress_;
  int tick_ = 0;
};

// The machine the run is made on.
std::string HostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

void LogTable(const Logger& logger, const std::string& owner,
              const std::string& table) {
  if (!logger.debug()) return;
  logger.WriteLog("-------", "");
  logger.WriteLog("Compute", "Calculating compression on Owner=" +
                                 std::string(TrimSpaces(owner)) +
                                 " Table=" + std::string(TrimSpaces(table)));
}

}  // namespace

TableRecord MakeTableRecord(const std::string& owner, const std::string& table,
                            const EstimateContext& estimate) {
  const CatalogColumnRow& first = estimate.TableColumns[0];
  TableRecord record;
  record.owner = owner;
  record.table = table;
  record.row_count = first.RowCount;
  record.pages_used = first.PagesUsed;
  record.page_size = first.PageSize;
  record.row_length = estimate.RowLength;
  record.compressed_length = estimate.Compressed;
  for (const CatalogColumnRow& column : estimate.TableColumns.columns()) {
    switch (column.Basis) {
      case ColumnBasis::kFull:
        ++record.basis.full;
        break;
      case ColumnBasis::kSampled:
        ++record.basis.sampled;
        break;
      case ColumnBasis::kNone:
        ++record.basis.none;
        break;
    }
  }
  return record;
}

namespace {

// Sends the catalog query with the run's filters.
Status SendCatalogQuery(const RunRequest& c, Statement& statement) {
  std::string query;
  Status status = CatalogQueryFor(
      c.connection.PageSizeExpression,
      BuildFilterClause("T.OWNER", c.settings.OwnerFilter),
      BuildFilterClause("T.TABNAME", c.settings.TableFilter), c.settings, query);
  if (!status.ok()) return status;
  status = statement.ExecuteStatement(query);
  if (!status.ok()) c.logger.Log("Query", "Error retrieving records");
  return status;
}

}  // namespace

namespace {

// Reads and estimates every table of the executed query into the record.
// kListed stands for a run read to its end.
RunOutcome EstimateTables(const RunRequest& c, Statement& statement,
                          RunProgress* progress, TableSink* sink,
                          RunRecord& record, Status& status) {
  const Estimator estimator(c.statistics, EstimateOptions::Of(c.settings),
                            c.logger);
  TableReader reader(statement, c.logger);
  ProgressTicker ticker(progress);
  EstimateContext estimate;
  std::string owner, table;
  const auto before_fetch = [&] {
    return ticker.BeforeFetch(static_cast<int>(record.listed.size()));
  };
  while (true) {
    TableReader::Step step;
    status =
        reader.Next(owner, table, estimate.TableColumns, step, before_fetch);
    if (!status.ok()) {
      c.logger.Log("Query", "Error reading records: " + status.ToString());
      return RunOutcome::kFailed;
    }
    if (step == TableReader::Step::kStopped) return RunOutcome::kStopped;
    if (step == TableReader::Step::kEnd) return RunOutcome::kListed;
    LogTable(c.logger, owner, table);
    estimator.Compute(estimate);
    TableRecord table_record = MakeTableRecord(owner, table, estimate);
    const bool listed = ReachesMinimum(table_record, c.settings);
    if (sink != nullptr) {
      status = sink->OnTable(record, table_record, listed, estimate);
      if (!status.ok()) {
        statement.CloseStatement();
        return RunOutcome::kFailed;
      }
    }
    if (listed) {
      record.listed.push_back(static_cast<int32_t>(record.tables.size()));
    }
    record.tables.push_back(std::move(table_record));
  }
}

}  // namespace

RunResult RunAnalysis(const RunRequest& c, RunProgress* progress,
                      TableSink* sink) {
  RunResult result;
  result.record = std::make_shared<RunRecord>();
  RunRecord& record = *result.record;
  record.database = c.connection.DatabaseName;
  record.server = {c.connection.ServerName, HostName()};
  record.server_version = c.connection.ServerVersion;
  record.settings = c.settings;
  record.started = std::chrono::system_clock::now();
  Statement statement(c.connection);
  Status status = SendCatalogQuery(c, statement);
  RunOutcome outcome = RunOutcome::kFailed;
  if (status.ok()) {
    c.logger.Log("Query", "Reading result set");
    if (progress != nullptr) progress->Started();
    outcome = EstimateTables(c, statement, progress, sink, record, status);
    if (outcome == RunOutcome::kListed && record.listed.empty())
      outcome = RunOutcome::kNothingListed;
  }
  record.ended = std::chrono::system_clock::now();
  record.complete = outcome == RunOutcome::kListed ||
                    outcome == RunOutcome::kNothingListed;
  result.outcome = outcome;
  result.status = std::move(status);
  return result;
}

}  // namespace tce
