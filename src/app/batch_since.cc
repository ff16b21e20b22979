#include "app/batch_since.h"

#include <cstdio>
#include <optional>

#include "app/batch.h"
#include "base/text_util.h"
#include "history/changes_output.h"
#include "history/since.h"
#include "output/file_writer.h"
#include "output/record_document.h"

namespace tce {
namespace {

// One database's comparison, or why there is none.
struct DatabaseChanges {
  std::string name;
  std::optional<Changes> changes;
  ComparedRuns runs;
  std::string why;
  bool failed_run = false;  // its own run failed: said already
};

DatabaseChanges Compare(const BatchOptions& options, History& history,
                        const Since& since,
                        const std::shared_ptr<const RunRecord>& now) {
  DatabaseChanges one;
  if (!now->failure.empty()) {
    one.failed_run = true;
    return one;
  }
  const PlanRule rule = options.plan
                            ? PlanRule{options.plan_margin, options.plan_threshold}
                            : PlanRule();
  SinceResult result;
  const Status status = ChangesSince(history, now, since, rule, &result);
  if (!status.ok()) {
    one.why = status.ToString();
  } else if (!result.found) {
    one.why = result.why;
  } else {
    one.runs.before = result.before;
    one.changes = std::move(result.changes);
  }
  return one;
}

void WriteSeveral(ResultWriter& writer, ByteSink& sink,
                  const std::vector<DatabaseChanges>& all) {
  if (writer.KeepsDocuments()) {
    sink.Write("{\n\"databases\": [\n");
    bool first = true;
    for (const DatabaseChanges& one : all) {
      if (one.failed_run) continue;
      if (!first) sink.Write(",\n");
      first = false;
      if (one.changes) {
        const auto document = ResultWriter::Make(ExportFormat::kJson, sink);
        WriteChangesDocument(*document, *one.changes, one.runs);
      } else {
        sink.Write("{\"database\": " + JsonString(one.name) +
                   ", \"error\": " + JsonString(one.why) + "}\n");
      }
    }
    sink.Write("]\n}\n");
    return;
  }
  bool any_settings = false;
  writer.BeginList("changes", ChangesHeaderTexts());
  for (const DatabaseChanges& one : all) {
    if (!one.changes) continue;
    writer.SetLead("Database", one.name);
    WriteChangeRecords(writer, *one.changes);
    any_settings = any_settings || !one.changes->settings.empty();
  }
  writer.EndList();
  if (!any_settings) return;
  writer.SetLead("Database", "");
  writer.BeginList("settings_changed", SettingChangesHeaderTexts());
  for (const DatabaseChanges& one : all) {
    if (!one.changes) continue;
    writer.SetLead("Database", one.name);
    WriteSettingChangeRecords(writer, *one.changes);
  }
  writer.EndList();
}

int Write(const BatchOptions& options, const std::vector<DatabaseChanges>& all) {
  FileWriter file;
  Status status;
  if (options.output) {
    status = file.Open(*options.output);
  } else {
    file.OpenStandardOutput();
  }
  const ExportFormat format =
      options.json ? ExportFormat::kJson : DelimitedFormat(!options.comma);
  if (status.ok()) {
    const auto writer = ResultWriter::Make(format, file);
    if (all.size() == 1) {
      WriteChangesDocument(*writer, *all.front().changes, all.front().runs);
    } else {
      writer->SetLead("Database", "");
      WriteSeveral(*writer, file, all);
    }
    status = file.Commit();
  }
  if (!status.ok()) {
    std::fprintf(stderr, "tarvex-compest-batch: %s\n", status.ToString().c_str());
    return kBatchOutputFailed;
  }
  return kBatchListed;
}

}  // namespace

int WriteChangesSince(const BatchOptions& options, History& history,
                      const std::vector<DatabaseTarget>& targets,
                      const Records& records, const RunKeeper& keeper) {
  Since since;
  ParseSince(options.since, &since);  // checked with the arguments
  std::vector<DatabaseChanges> all;
  size_t missing = 0, compared = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    all.push_back(Compare(options, history, since, records[i]));
    DatabaseChanges& one = all.back();
    one.name = targets[i].name;
    one.runs.now_id = keeper.id(i);
    if (one.failed_run) continue;
    if (one.changes) {
      ++compared;
      continue;
    }
    ++missing;
    std::fprintf(stderr, "tarvex-compest-batch: %s; nothing to compare %s with.\n",
                 Printable(one.why).c_str(), Printable(one.name).c_str());
  }
  if (compared == 0) {
    std::fprintf(stderr, "tarvex-compest-batch: no changes were written.\n");
    return kBatchInputRefused;
  }
  const int status = Write(options, all);
  if (status != kBatchListed) return status;
  for (const DatabaseChanges& one : all) {
    if (!options.summary || !one.changes) continue;
    const std::string summary = ChangesSummary(*one.changes, one.runs);
    if (all.size() > 1) std::fprintf(stderr, "%s: ", Printable(one.name).c_str());
    std::fputs(summary.c_str(), stderr);
  }
  return missing > 0 ? kBatchSomeDatabasesFailed : kBatchListed;
}

}  // namespace tce
