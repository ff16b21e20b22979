// The command-line tool's output: the listed tables (delimited as the
// export writes them, or one JSON document) and, with --columns, their
// column lines after them. Everything is written when the run has
// succeeded, through the file writer, so that a failed run writes nothing
// and leaves an existing output file as it was.
#ifndef TCE_APP_BATCH_OUTPUT_H_
#define TCE_APP_BATCH_OUTPUT_H_

#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "app/batch_options.h"
#include "output/file_writer.h"
#include "output/result_writer.h"
#include "wizard/app_state.h"

namespace tce {

class BatchOutput : public TableSink {
 public:
  // `lead`: the database every delimited column line starts with, when one
  // output holds several databases' runs.
  BatchOutput(const BatchOptions& options, const AppState& app,
              std::string lead = {});
  ~BatchOutput() override;
  BatchOutput(const BatchOutput&) = delete;
  BatchOutput& operator=(const BatchOutput&) = delete;

  // Opens the output (and, with --columns, the file the column lines wait
  // in).
  Status Open();
  // Only the file the column lines wait in: the output is another's.
  Status OpenSpool();
  // Keeps a listed table's column lines, with --columns, and with
  // --explain what its figures come from.
  Status OnTable(const RunRecord& record, const TableRecord& table,
                 bool listed, const EstimateContext& estimate) override;
  // Writes the whole output (the results list, or with --plan the plan)
  // and puts it in place (the --output file, or standard output).
  Status Commit(std::shared_ptr<const RunRecord> record);

  // Whether the run failed because the output could not be written.
  bool write_failed() const { return write_failed_; }

  // The parts of an output that holds several databases: the whole
  // document of this run (JSON), its table or plan records, and its column
  // records (delimited, under a header the caller wrote).
  void WriteDocument(ResultWriter& writer, std::shared_ptr<const RunRecord> record);
  void WriteTableRecords(ResultWriter& writer, std::shared_ptr<const RunRecord> record);
  void WriteColumnRecords(ResultWriter& writer);
  bool has_columns() const { return columns_writer_ != nullptr; }

 private:
  // Notes that writing failed; the failure with errno's reason.
  Status WriteFailed(const char* what);
  // Puts a written document in place.
  Status Finish(const ResultWriter& writer);

  const BatchOptions& options_;
  const AppState& app_;
  const ExportFormat format_;
  const std::string lead_;
  FileWriter file_;
  static constexpr size_t kColumnsBuffer = 1 << 20;
  std::unique_ptr<char[]> columns_buffer_;  // outlives columns_
  std::FILE* columns_ = nullptr;  // the column lines, until the end
  std::unique_ptr<StreamSink> columns_sink_;
  std::unique_ptr<ResultWriter> columns_writer_;
  // With --explain: each table's row-length parts, by its index in the
  // record.
  std::vector<TableTrace> traces_;
  bool write_failed_ = false;
};

}  // namespace tce

#endif  // TCE_APP_BATCH_OUTPUT_H_
