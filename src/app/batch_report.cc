#include "app/batch_report.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

#include "output/file_writer.h"
#include "output/report.h"
#include "app/batch.h"

namespace tce {
namespace {

// Documents larger than this are not a run's output worth reading whole.
constexpr std::streamoff kLargestDocument = std::streamoff(1) << 30;

std::string Now() {
  const std::time_t now =
      std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  char text[64];
  std::strftime(text, sizeof text, "made %Y-%m-%d %H:%M", &local);
  return text;
}

int Write(const BatchOptions& options, const Report& report) {
  FileWriter file;
  Status status = file.Open(*options.report);
  if (status.ok()) {
    file.Write(ReportHtml(report));
    status = file.Commit();
  }
  if (!status.ok()) {
    std::fprintf(stderr, "tarvex-compest-batch: %s\n",
                 status.ToString().c_str());
    return kBatchOutputFailed;
  }
  return kBatchListed;
}

}  // namespace

int WriteRunReport(const BatchOptions& options, const AppState&,
                   const std::vector<DatabaseOutcome>& outcomes) {
  Report report;
  report.generated = Now();
  report.source = options.all_databases
                      ? "Every database of the server of " + options.database
                      : "Databases:";
  const std::optional<PlanRule> rule =
      options.plan ? std::optional<PlanRule>(
                         PlanRule{options.plan_margin, options.plan_threshold})
                   : std::nullopt;
  for (const DatabaseOutcome& outcome : outcomes) {
    if (!options.all_databases) report.source += " " + outcome.name;
    if (outcome.record == nullptr) {
      ReportDatabase failed;
      failed.name = outcome.name;
      failed.error = outcome.error.empty() ? "failed" : outcome.error;
      report.databases.push_back(std::move(failed));
    } else {
      report.databases.push_back(
          ReportOfRun(outcome.name, outcome.record, rule));
    }
  }
  return Write(options, report);
}

int WriteReportFrom(const BatchOptions& options, const AppState&) {
  Report report;
  report.generated = Now();
  report.source = "Runs read from";
  for (const std::string& path : options.report_from) {
    std::ifstream file(path, std::ios::binary);
    std::string why;
    std::string text;
    if (!file) {
      why = "cannot be read";
    } else {
      file.seekg(0, std::ios::end);
      const std::streamoff size = file.tellg();
      file.seekg(0);
      if (size < 0 || size > kLargestDocument) {
        why = "is too large to be one run's output";
      } else {
        std::ostringstream content;
        content << file.rdbuf();
        text = content.str();
      }
    }
    std::optional<Json> document;
    if (why.empty()) document = ReadJson(text, &why);
    if (why.empty()) ReportOfDocument(*document, &report.databases, &why);
    if (!why.empty()) {
      std::fprintf(stderr,
                   "tarvex-compest-batch: %s: %s; nothing was written.\n",
                   path.c_str(), why.c_str());
      return kBatchInputRefused;
    }
    report.source += " " + path;
  }
  return Write(options, report);
}

}  // namespace tce
