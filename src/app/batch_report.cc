#include "app/batch_report.h"

#include <cstdio>
#include <set>
#include <tuple>

#include "app/batch.h"
#include "app/batch_history.h"
#include "history/history_report.h"
#include "base/text_util.h"
#include "model/format.h"
#include "output/file_writer.h"
#include "output/report.h"

namespace tce {
namespace {

// The same run read twice: its server, database and start.
std::string RunKey(const RunRecord& record) {
  return record.server.name + '\n' + record.server.host + '\n' +
         record.database + '\n' + IsoTimeText(record.started) + '\n' +
         record.failure;
}

}  // namespace

int WriteRunReport(const BatchOptions& options, const Services& services,
                   const Records& records, History* history) {
  std::string sections;
  if (history != nullptr) {
    const Status read = HistorySections(*history, records, services.messages,
                                        &sections);
    if (!read.ok()) return HistoryFailure(read);
  }
  FileWriter file;
  Status status = file.Open(*options.report);
  if (status.ok()) {
    file.Write(ReportHtml(records, services.messages, sections));
    status = file.Commit();
  }
  if (!status.ok()) {
    std::fprintf(stderr, "tarvex-compest-batch: %s\n",
                 status.ToString().c_str());
    return kBatchOutputFailed;
  }
  return kBatchListed;
}

int WriteReportFrom(const BatchOptions& options, const Services& services,
                    History* history) {
  Records records;
  std::set<std::string> seen;
  for (const std::string& path : options.report_from) {
    Records read;
    Status status = ReadRecordFile(path, &read);
    for (const auto& record : read) {
      if (!status.ok()) break;
      if (!seen.insert(RunKey(*record)).second) {
        status = Status::Failure(
            path + ": holds the run of " + record->database +
            " that an earlier document holds too; it would count twice");
      }
    }
    if (!status.ok()) {
      std::fprintf(stderr, "tarvex-compest-batch: %s; nothing was written.\n",
                   Printable(status.ToString()).c_str());
      return kBatchInputRefused;
    }
    records.insert(records.end(), read.begin(), read.end());
  }
  return WriteRunReport(options, services, records, history);
}

}  // namespace tce
