#include "app/batch_assembly.h"

#include "app/batch.h"
#include "base/text_util.h"
#include "model/grid_columns.h"
#include "output/record_document.h"
#include "output/results_output.h"

namespace tce {

OutputAssembly::OutputAssembly(const BatchOptions& options,
                               const MessageTable& messages,
                               const OutputShape& shape, bool several)
    : options_(options),
      messages_(messages),
      shape_(shape),
      several_(several),
      // With --report and no --output the report is the output; with
      // --since the changes are.
      write_list_((!options.report || options.output) &&
                  options.since.empty()) {}

OutputAssembly::~OutputAssembly() {
  columns_writer_.reset();
  if (columns_ != nullptr) std::fclose(columns_);
}

Status OutputAssembly::Open() {
  if (!write_list_) return Status();
  if (several_ && shape_.columns && shape_.format != ExportFormat::kJson) {
    columns_ = std::tmpfile();
    if (columns_ == nullptr) return Status::FileFailure("no temporary file");
    columns_sink_ = std::make_unique<StreamSink>(columns_);
    columns_writer_ = ResultWriter::Make(shape_.format, *columns_sink_);
    columns_writer_->BeginFragment();
  }
  Status status;
  if (options_.output) {
    status = file_.Open(*options_.output);
  } else {
    file_.OpenStandardOutput();
  }
  if (status.ok() && several_ && shape_.format == ExportFormat::kJson)
    file_.Write("{\n\"databases\": [\n");
  return status;
}

void OutputAssembly::Take(DatabaseRun& run) {
  const bool failed = !run.record->failure.empty();
  if (write_list_ && shape_.format == ExportFormat::kJson && several_) {
    if (documents_++ > 0) file_.Write(",\n");
    if (failed) {
      WriteFailedDatabase(file_, run.target.name, *run.record);
    } else {
      const auto writer = ResultWriter::Make(shape_.format, file_);
      run.output->WriteDocument(*writer, messages_, run.record);
    }
  } else if (write_list_ && !several_ && !failed && run.listed) {
    const auto writer = ResultWriter::Make(shape_.format, file_);
    run.output->WriteDocument(*writer, messages_, run.record);
    if (!writer->ok()) run.status = Status::FileFailure("writing the output failed");
  } else if (columns_writer_ != nullptr && !failed) {
    run.output->WriteColumnRecords(*columns_writer_);
  }
  run.output->Release();
}

int OutputAssembly::Commit() {
  if (!write_list_) return kBatchListed;
  const Status status = file_.Commit();
  if (status.ok()) return kBatchListed;
  std::fprintf(stderr, "tarvex-compest-batch: %s\n", status.ToString().c_str());
  return kBatchOutputFailed;
}

void OutputAssembly::Summary(
    const std::vector<std::unique_ptr<DatabaseRun>>& runs) const {
  // With --since the summary is of the changes.
  if (!options_.summary || !options_.since.empty()) return;
  for (const auto& run : runs) {
    if (!run->record->failure.empty()) continue;
    const std::string summary =
        options_.plan ? PlanSummary(Plan(run->record, shape_.rule).totals())
                      : TotalsLine(TotalsOf(*run->record)) + "\n";
    if (several_) {
      std::fprintf(stderr, "%s: %s", Printable(run->target.name).c_str(),
                   summary.c_str());
    } else {
      std::fputs(summary.c_str(), stderr);
    }
  }
}

int OutputAssembly::Finish(const std::vector<std::unique_ptr<DatabaseRun>>& runs,
                           const MessageTable& messages) {
  if (several_) return FinishSeveral(runs, messages);
  const int status = FinishOne(*runs.front(), messages);
  if (status == kBatchListed) Summary(runs);
  return status;
}

int OutputAssembly::FinishOne(const DatabaseRun& run,
                              const MessageTable& messages) {
  for (const std::string& line : run.messages)
    std::fprintf(stderr, "%s\n", Printable(line).c_str());
  if (run.connect_failed) return kBatchConnectionFailed;
  if (run.write_failed || run.status.kind() == FailureKind::kFile) {
    std::fprintf(stderr, "tarvex-compest-batch: %s\n",
                 run.status.ToString().c_str());
    return kBatchOutputFailed;
  }
  if (!run.record->failure.empty()) {
    std::fprintf(stderr,
                 "tarvex-compest-batch: the estimate did not complete; "
                 "nothing was written.\n");
    return kBatchQueryFailed;
  }
  if (!run.listed) {
    std::fprintf(stderr, "%s\n", messages[Msg::kNothingFound].c_str());
    return kBatchNothingListed;
  }
  return Commit();
}

void OutputAssembly::WriteDelimitedLists(
    const std::vector<std::unique_ptr<DatabaseRun>>& runs) {
  const auto writer = ResultWriter::Make(shape_.format, file_);
  writer->SetLead("Database", "");
  if (shape_.plan) {
    writer->BeginList("tables", PlanHeaderTexts());
  } else {
    writer->BeginList("tables", ResultsHeaderTexts(messages_, shape_.unit));
  }
  for (const auto& run : runs) {
    if (!run->record->failure.empty()) continue;
    writer->SetLead("Database", run->target.name);
    run->output->WriteTableRecords(*writer, run->record);
  }
  writer->EndList();
  if (columns_writer_ == nullptr) return;
  writer->SetLead("Database", "");
  writer->BeginList("columns", ColumnHeaderTexts(messages_, shape_.explain));
  writer->AppendRecords(columns_, columns_writer_->records());
  writer->EndList();
}

int OutputAssembly::FinishSeveral(
    const std::vector<std::unique_ptr<DatabaseRun>>& runs,
    const MessageTable& messages) {
  size_t failed = 0;
  bool listed = false;
  for (const auto& run : runs) {
    listed = listed || run->listed;
    if (run->record->failure.empty()) continue;
    ++failed;
    std::fprintf(stderr, "tarvex-compest-batch: database %s failed:\n",
                 Printable(run->target.name).c_str());
    for (const std::string& line : run->messages)
      std::fprintf(stderr, "  %s\n", Printable(line).c_str());
  }
  if (failed == runs.size()) {
    std::fprintf(stderr,
                 "tarvex-compest-batch: every database failed; nothing was "
                 "written.\n");
    return kBatchQueryFailed;
  }
  if (!listed) {
    std::fprintf(stderr, "%s\n", messages[Msg::kNothingFound].c_str());
    return failed > 0 ? kBatchSomeDatabasesFailed : kBatchNothingListed;
  }
  if (write_list_) {
    if (shape_.format == ExportFormat::kJson) {
      file_.Write("]\n}\n");
    } else {
      WriteDelimitedLists(runs);
    }
  }
  const int status = Commit();
  if (status != kBatchListed) return status;
  Summary(runs);
  return failed > 0 ? kBatchSomeDatabasesFailed : kBatchListed;
}

}  // namespace tce
