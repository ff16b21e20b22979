// One database's part of the command-line tool's output: with --columns
// its column lines wait in a file of their own until the output is put
// together (at most as many such files are open as databases run at
// once); with --explain what its tables' figures come from. The output's
// shapes: one run's document or list, or several databases' in one.
#ifndef TCE_APP_BATCH_OUTPUT_H_
#define TCE_APP_BATCH_OUTPUT_H_

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "app/batch_options.h"
#include "base/export_format.h"
#include "base/message_table.h"
#include "model/formulas.h"
#include "output/result_writer.h"

namespace tce {

// How the output is written, chosen once from the options.
struct OutputShape {
  ExportFormat format;
  SizeUnit unit;
  bool columns, explain, plan;
  PlanRule rule;
  static OutputShape Of(const BatchOptions& options, const RunSettings& s);
};

class DatabaseOutput : public TableSink {
 public:
  // `lead`: the database every delimited column line starts with, when one
  // output holds several databases' runs.
  DatabaseOutput(const OutputShape& shape, std::string lead = {});
  ~DatabaseOutput() override;
  DatabaseOutput(const DatabaseOutput&) = delete;
  DatabaseOutput& operator=(const DatabaseOutput&) = delete;

  // Opens the file the column lines wait in (with --columns).
  Status Open();
  Status OnTable(const RunRecord& record, const TableRecord& table,
                 bool listed, const EstimateContext& estimate) override;
  // Whether the run failed because its column lines could not be kept.
  bool write_failed() const { return write_failed_; }

  // The whole document of this run (JSON, or delimited lists).
  void WriteDocument(ResultWriter& writer, const MessageTable& messages,
                     const std::shared_ptr<const RunRecord>& record);
  // Its table or plan records alone, and its column records alone, for an
  // output of several databases.
  void WriteTableRecords(ResultWriter& writer,
                         const std::shared_ptr<const RunRecord>& record);
  void WriteColumnRecords(ResultWriter& writer);
  // Closes the file of the column lines: they have been written.
  void Release();

 private:
  Status Failed(const char* what);

  const OutputShape& shape_;
  const std::string lead_;
  static constexpr size_t kColumnsBuffer = 1 << 20;
  std::unique_ptr<char[]> columns_buffer_;  // outlives columns_
  std::FILE* columns_ = nullptr;
  std::unique_ptr<StreamSink> columns_sink_;
  std::unique_ptr<ResultWriter> columns_writer_;
  // With --explain, what each table's figures come from, by table index.
  std::vector<TableExplanation> traces_;
  bool write_failed_ = false;
};

}  // namespace tce

#endif  // TCE_APP_BATCH_OUTPUT_H_
