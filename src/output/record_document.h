// The record of a run as a document: what every --json document carries
// beside the lists it always had, so that the record can be read back
// whole (output/record_reader.h). Two members:
//
//   "record": {"version", "server": {"name", "host"}, "database",
//              "server_version", "settings": {...every run option...},
//              "started", "ended" (ISO 8601, UTC), "complete",
//              "plan": {"margin", "threshold"} or null}
//   "record_tables": [one object per table read, listed or not:
//              "owner", "table", "rows", "pages", "page_size",
//              "row_length", "compressed_length": {"row", "page"},
//              "allocated_bytes", "compressed_bytes": {"row", "page"},
//              "saved_pct": {"row", "page"},
//              "basis": {"full", "sampled", "none"}, "listed",
//              and with a plan "plan": {"recommendation", "better",
//              "saved_bytes"}]
//
// The bytes and percentages are there for readers of the document; the
// record is rebuilt from the rows, pages, page size and row lengths.
#ifndef TCE_OUTPUT_RECORD_DOCUMENT_H_
#define TCE_OUTPUT_RECORD_DOCUMENT_H_

#include <optional>
#include <string_view>

#include "model/run_record.h"
#include "output/result_writer.h"

namespace tce {

// The names the document gives the plan's recommendations.
std::string_view RecommendationKey(int recommendation);

// `plan`: the rule of the plan made of the run, if one was.
void WriteRecordMembers(ResultWriter& writer, const RunRecord& record,
                        std::optional<PlanRule> plan);

// A database whose run failed, as an entry of a several-database
// document: its name, why, and its server.
void WriteFailedDatabase(ByteSink& sink, const std::string& name,
                         const RunRecord& record);

}  // namespace tce

#endif  // TCE_OUTPUT_RECORD_DOCUMENT_H_
