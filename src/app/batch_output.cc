#include "app/batch_output.h"

#include <cerrno>
#include <cstring>

#include "output/results_output.h"

namespace tce {
namespace {

ExportFormat FormatOf(const BatchOptions& options, const RunSettings& s) {
  return options.json ? ExportFormat::kJson : DelimitedFormat(s.TabDelimited);
}

}  // namespace

BatchOutput::BatchOutput(const BatchOptions& options, const AppState& app,
                         std::string lead)
    : options_(options),
      app_(app),
      format_(FormatOf(options, app.settings)),
      lead_(std::move(lead)) {}

BatchOutput::~BatchOutput() {
  if (columns_ != nullptr) std::fclose(columns_);
}

Status BatchOutput::WriteFailed(const char* what) {
  write_failed_ = true;
  return Status::FileFailure(std::string(what) + ": " + std::strerror(errno));
}

Status BatchOutput::Open() {
  Status status = OpenSpool();
  if (!status.ok()) return status;
  if (!options_.output) {
    file_.OpenStandardOutput();
    return Status();
  }
  return file_.Open(*options_.output);
}

Status BatchOutput::OpenSpool() {
  if (options_.columns) {
    columns_ = std::tmpfile();
    if (columns_ == nullptr) return WriteFailed("no temporary file");
    // Column lines run to hundreds of megabytes: written in large pieces.
    columns_buffer_ = std::make_unique<char[]>(kColumnsBuffer);
    std::setvbuf(columns_, columns_buffer_.get(), _IOFBF, kColumnsBuffer);
    columns_sink_ = std::make_unique<StreamSink>(columns_);
    columns_writer_ = ResultWriter::Make(format_, *columns_sink_);
    if (!lead_.empty()) columns_writer_->SetLead("Database", lead_);
    columns_writer_->BeginFragment();
  }
  return Status();
}

Status BatchOutput::OnTable(const RunRecord&, const TableRecord& table,
                            bool listed, const EstimateContext& estimate) {
  if (options_.explain) traces_.push_back(estimate.Trace);
  if (columns_writer_ == nullptr || !listed) return Status();
  for (const CatalogColumnRow& column : estimate.TableColumns.columns()) {
    const ColumnFields fields(table, column, options_.explain);
    columns_writer_->Record(fields.fields());
  }
  if (!columns_writer_->ok()) return WriteFailed("writing the output failed");
  return Status();
}

Status BatchOutput::Commit(std::shared_ptr<const RunRecord> shared) {
  const std::unique_ptr<ResultWriter> writer =
      ResultWriter::Make(format_, file_);
  WriteDocument(*writer, std::move(shared));
  return Finish(*writer);
}

void BatchOutput::WriteDocument(ResultWriter& writer,
                                std::shared_ptr<const RunRecord> shared) {
  const RunRecord& record = *shared;
  const MessageTable& messages = app_.messages;
  if (options_.plan) {
    const Plan plan(shared, {options_.plan_margin, options_.plan_threshold});
    WritePlanDocument(writer, plan);
    return;
  }
  writer.BeginDocument();
  writer.Member("database", Value::Text(record.database));
  WriteSettingsMember(writer, record.settings);
  const std::array<std::string, 7> header =
      ResultsHeaderTexts(messages, record.shown().unit);
  writer.Member("header", Value::Texts(header));
  WriteTableList(writer, messages, record, record.listed,
                 options_.explain ? &traces_ : nullptr);
  if (columns_writer_ != nullptr) {
    writer.BeginList("columns", ColumnHeaderTexts(messages, options_.explain));
    writer.AppendRecords(columns_, columns_writer_->records());
    writer.EndList();
  }
  WriteTotalsMember(writer, record);
  writer.EndDocument();
}

void BatchOutput::WriteTableRecords(ResultWriter& writer,
                                    std::shared_ptr<const RunRecord> shared) {
  if (options_.plan) {
    WritePlanRecords(writer, Plan(shared, {options_.plan_margin,
                                           options_.plan_threshold}));
    return;
  }
  tce::WriteTableRecords(writer, *shared, shared->listed,
                         options_.explain ? &traces_ : nullptr);
}

void BatchOutput::WriteColumnRecords(ResultWriter& writer) {
  if (columns_writer_ != nullptr)
    writer.AppendRecords(columns_, columns_writer_->records());
}

Status BatchOutput::Finish(const ResultWriter& writer) {
  if (!writer.ok()) return WriteFailed("writing the output failed");
  Status status = file_.Commit();
  if (!status.ok()) write_failed_ = true;
  return status;
}

}  // namespace tce
