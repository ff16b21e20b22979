#include "analysis/analysis.h"

#include <algorithm>
#include <cmath>

#include "analysis/catalog_rows.h"
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

void LogTable(const Logger& logger, const std::string& owner,
              const std::string& table) {
  if (!logger.debug()) return;
  logger.WriteLog("-------", "");
  logger.WriteLog("Compute", "Calculating compression on Owner=" +
                                 std::string(TrimSpaces(owner)) +
                                 " Table=" + std::string(TrimSpaces(table)));
}

}  // namespace

std::optional<TableEstimate> MakeTableEstimate(const std::string& owner,
                                               const std::string& table,
                                               const EstimateContext& estimate,
                                               Fixed4 pct,
                                               const RunSettings& settings) {
  // A saving is a share of the table: never below nothing, never above all.
  pct = std::clamp(pct, Fixed4(), Fixed4::FromInt(100));
  if (pct < Fixed4::FromInt(settings.MinCompressionPct)) return std::nullopt;
  const CatalogColumnRow& first = estimate.TableColumns[0];
  TableEstimate record;
  record.owner = owner;
  record.table = table;
  record.row_count = first.RowCount;
  record.pages_used = first.PagesUsed;
  record.page_size = first.PageSize;
  record.pct = pct;
  for (const CatalogColumnRow& column : estimate.TableColumns.columns()) {
    ++record.basis.columns;
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
  if (first.RowCount > Fixed4()) {
    if (settings.ShowPageSavings) {
      record.size = first.PagesUsed.ToDouble();
      record.compressed = std::floor((100.0 - pct.ToDouble()) *
                                     (first.PagesUsed.ToDouble() / 100.0));
    } else {
      const double kilobytes = first.RowCount.ToDouble() / 1024.0;
      record.size = std::floor(estimate.RowLength.ToDouble() * kilobytes);
      record.compressed =
          std::floor(estimate.CompressedLength.ToDouble() * kilobytes);
    }
    if (record.compressed == 0 && record.size > 0) record.compressed = 1;
    record.compressed = std::min(record.compressed, record.size);
  }
  return record;
}

namespace {

// Sends the catalog query with the run's filters.
Status SendCatalogQuery(const RunContext& c, Statement& statement) {
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

RunResult RunAnalysis(const RunContext& c, RunProgress* progress,
                      TableSink* sink) {
  RunResult result;
  result.results = std::make_shared<ResultSet>();
  ResultSet& results = *result.results;
  results.unit =
      c.settings.ShowPageSavings ? SizeUnit::kPages : SizeUnit::kKilobytes;
  auto fail = [&](Status status) {
    results.complete = false;
    result.outcome = RunOutcome::kFailed;
    result.status = std::move(status);
    return std::move(result);
  };
  Statement statement(c.connection);
  Status status = SendCatalogQuery(c, statement);
  if (!status.ok()) return fail(std::move(status));
  c.logger.Log("Query", "Reading result set");
  if (progress != nullptr) progress->Started();

  TableReader reader(statement, c.logger);
  ProgressTicker ticker(progress);
  EstimateContext estimate;
  std::string owner, table;
  const auto before_fetch = [&] {
    return ticker.BeforeFetch(static_cast<int>(results.tables.size()));
  };
  while (true) {
    TableReader::Step step;
    status =
        reader.Next(owner, table, estimate.TableColumns, step, before_fetch);
    if (!status.ok()) {
      c.logger.Log("Query", "Error reading records: " + status.ToString());
      return fail(std::move(status));
    }
    if (step == TableReader::Step::kStopped) {
      result.outcome = RunOutcome::kStopped;
      results.complete = false;
      return result;
    }
    if (step == TableReader::Step::kEnd) break;
    LogTable(c.logger, owner, table);
    const Fixed4 pct = c.estimator.Compute(estimate);
    std::optional<TableEstimate> record =
        MakeTableEstimate(owner, table, estimate, pct, c.settings);
    if (!record) continue;
    if (sink != nullptr) {
      status = sink->OnTable(*record, estimate.TableColumns.columns());
      if (!status.ok()) {
        statement.CloseStatement();
        return fail(std::move(status));
      }
    }
    results.tables.push_back(std::move(*record));
  }
  result.outcome =
      results.tables.empty() ? RunOutcome::kNothingListed : RunOutcome::kListed;
  return result;
}

}  // namespace tce
