#include "app/batch_history.h"

#include <cstdio>

#include "app/batch.h"
#include "base/number_text.h"
#include "base/text_util.h"
#include "output/file_writer.h"
#include "output/record_reader.h"
#include "output/result_writer.h"

namespace tce {
namespace {

void Say(const std::string& text) {
  std::fprintf(stderr, "tarvex-compest-batch: %s\n", Printable(text).c_str());
}

std::string Plural(int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Reads every --import document before anything is kept: a file that is
// not this tool's JSON keeps nothing of any.
int ReadImports(const BatchOptions& options, Records* records) {
  for (const std::string& path : options.import) {
    const Status status = ReadRecordFile(path, records);
    if (!status.ok()) {
      Say(status.ToString() + "; nothing was kept.");
      return kBatchInputRefused;
    }
  }
  return kBatchListed;
}

int Import(const BatchOptions& options, History& history) {
  Records records;
  if (const int status = ReadImports(options, &records); status != kBatchListed)
    return status;
  int64_t added = 0, again = 0, left_out = 0;
  for (const auto& record : records) {
    if (!record->failure.empty() || !record->complete) {
      ++left_out;
      continue;
    }
    int64_t id = 0;
    bool new_run = false;
    const Status status = history.Keep(*record, &id, &new_run);
    if (!status.ok()) {
      Say(status.ToString() + "; " + Plural(added, "run was", "runs were") +
          " kept before.");
      return HistoryFailure(status);
    }
    ++(new_run ? added : again);
  }
  Say(history.path() + ": kept " + Plural(added, "run", "runs") + "; " +
      Plural(again, "was", "were") + " kept already; " +
      Plural(left_out, "failed or incomplete run", "failed or incomplete runs") +
      " left out.");
  return kBatchListed;
}

std::vector<std::string> ListHeaderTexts() {
  return {"Run",         "Started",       "Server",  "Host",  "Database",
          "Tables",      "Size (bytes)",  "Saved (bytes)", "%Saved",
          "Method"};
}

int List(const BatchOptions& options, History& history) {
  std::vector<KeptRun> runs;
  Status status = history.AllRuns(&runs);
  if (!status.ok()) return HistoryFailure(status);
  FileWriter file;
  if (options.output) {
    status = file.Open(*options.output);
  } else {
    file.OpenStandardOutput();
  }
  if (!status.ok()) {
    Say(status.ToString());
    return kBatchOutputFailed;
  }
  const auto writer = ResultWriter::Make(
      options.json ? ExportFormat::kJson : DelimitedFormat(!options.comma), file);
  writer->BeginDocument();
  writer->Member("history", Value::Text(history.path()));
  writer->BeginList("runs", ListHeaderTexts());
  for (const KeptRun& run : runs) {
    const std::string started = IsoTimeText(run.started);
    const double saved = run.totals.saved_bytes[run.method];
    const Field fields[] = {
        {"id", Value::Integer(run.id)},
        {"started", Value::Text(started)},
        {"server", Value::Text(run.server.name)},
        {"host", Value::Text(run.server.host)},
        {"database", Value::Text(run.database)},
        {"tables", Value::Integer(run.totals.tables)},
        {"size_bytes", Value::Number(RoundHalfEven(run.totals.size_bytes))},
        {"saved_bytes", Value::Number(RoundHalfEven(saved))},
        {"saved_pct",
         Value::Decimal(Fixed4::FromDouble(run.totals.SavedPct(run.method)))},
        {"method", Value::Text(MethodName(run.method))}};
    writer->Record(fields);
  }
  writer->EndList();
  writer->EndDocument();
  status = file.Commit();
  if (!status.ok()) {
    Say(status.ToString());
    return kBatchOutputFailed;
  }
  return kBatchListed;
}

}  // namespace

int HistoryFailure(const Status& status) {
  if (status.ok()) return kBatchListed;
  Say(status.ToString());
  return status.kind() == FailureKind::kFile ? kBatchOutputFailed
                                             : kBatchInputRefused;
}

int OpenHistory(const BatchOptions& options, History::Access access,
                std::unique_ptr<History>* history) {
  return HistoryFailure(History::Open(*options.history, history, access));
}

int RunHistoryCommands(const BatchOptions& options) {
  std::unique_ptr<History> history;
  const History::Access access = !options.import.empty() ? History::Access::kKeep
                                 : options.prune > 0     ? History::Access::kChange
                                                         : History::Access::kRead;
  int status = OpenHistory(options, access, &history);
  if (status == kBatchListed && !options.import.empty())
    status = Import(options, *history);
  if (status == kBatchListed && options.prune > 0) {
    int64_t removed = 0;
    status = HistoryFailure(history->Prune(options.prune, &removed));
    if (status == kBatchListed) {
      Say(history->path() + ": removed " + Plural(removed, "run", "runs") +
          ", keeping the newest " + std::to_string(options.prune) +
          " of each database.");
    }
  }
  if (status == kBatchListed && options.list) status = List(options, *history);
  return status;
}

void RunKeeper::Keep(size_t index, const RunRecord& record) {
  if (!record.failure.empty() || !record.complete) return;
  std::unique_ptr<History> history;
  Status status = History::Open(path_, &history);
  bool added = false;
  if (status.ok()) status = history->Keep(record, &ids_[index], &added);
  failures_[index] = status;
}

int RunKeeper::Report() const {
  int worst = kBatchListed;
  for (size_t i = 0; i < failures_.size(); ++i) {
    if (failures_[i].ok()) continue;
    const int status = HistoryFailure(
        Status(failures_[i]).AddMessage("the run was not kept."));
    if (worst == kBatchListed || status == kBatchOutputFailed) worst = status;
  }
  return worst;
}

}  // namespace tce
