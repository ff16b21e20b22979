#include "app/batch_output.h"

#include <cerrno>
#include <cstring>

#include "model/grid_columns.h"
#include "output/record_document.h"
#include "output/results_output.h"

namespace tce {

OutputShape OutputShape::Of(const BatchOptions& options, const RunSettings& s) {
  return {options.json ? ExportFormat::kJson : DelimitedFormat(s.TabDelimited),
          Shown::By(s).unit,
          options.columns,
          options.explain,
          options.plan,
          {options.plan_margin, options.plan_threshold}};
}

DatabaseOutput::DatabaseOutput(const OutputShape& shape, std::string lead)
    : shape_(shape), lead_(std::move(lead)) {}

DatabaseOutput::~DatabaseOutput() { Release(); }

Status DatabaseOutput::Failed(const char* what) {
  write_failed_ = true;
  return Status::FileFailure(std::string(what) + ": " + std::strerror(errno));
}

Status DatabaseOutput::Open() {
  if (!shape_.columns) return Status();
  columns_ = std::tmpfile();
  if (columns_ == nullptr) return Failed("no temporary file");
  // Column lines run to hundreds of megabytes: written in large pieces.
  columns_buffer_ = std::make_unique<char[]>(kColumnsBuffer);
  std::setvbuf(columns_, columns_buffer_.get(), _IOFBF, kColumnsBuffer);
  columns_sink_ = std::make_unique<StreamSink>(columns_);
  columns_writer_ = ResultWriter::Make(shape_.format, *columns_sink_);
  if (!lead_.empty()) columns_writer_->SetLead("Database", lead_);
  columns_writer_->BeginFragment();
  return Status();
}

void DatabaseOutput::Release() {
  columns_writer_.reset();
  columns_sink_.reset();
  if (columns_ != nullptr) std::fclose(columns_);
  columns_ = nullptr;
  columns_buffer_.reset();
}

Status DatabaseOutput::OnTable(const RunRecord& record,
                               const TableRecord& table,
                               bool listed, const EstimateContext& estimate) {
  if (shape_.explain) {
    // The formulas go with the tables JSON lists; delimited lines carry
    // the columns' explanations alone.
    traces_.push_back({estimate.Trace, {}});
    if (listed && shape_.format == ExportFormat::kJson)
      traces_.back().formulas = FormulasOf(estimate, table, record.shown());
  }
  if (columns_writer_ == nullptr || !listed) return Status();
  for (const CatalogColumnRow& column : estimate.TableColumns.columns()) {
    const ColumnFields fields(table, column, shape_.explain);
    columns_writer_->Record(fields.fields());
  }
  if (!columns_writer_->ok()) return Failed("writing the output failed");
  return Status();
}

void DatabaseOutput::WriteDocument(
    ResultWriter& writer, const MessageTable& messages,
    const std::shared_ptr<const RunRecord>& shared) {
  const RunRecord& record = *shared;
  if (shape_.plan) {
    const Plan plan(shared, shape_.rule);
    writer.BeginDocument();
    WritePlanMembers(writer, plan);
    if (writer.KeepsDocuments()) WriteRecordMembers(writer, record, shape_.rule);
    writer.EndDocument();
    return;
  }
  writer.BeginDocument();
  writer.Member("database", Value::Text(record.database));
  WriteSettingsMember(writer, record.settings);
  const std::array<std::string, 7> header =
      ResultsHeaderTexts(messages, record.shown().unit);
  writer.Member("header", Value::Texts(header));
  WriteTableList(writer, messages, record, record.listed,
                 shape_.explain ? &traces_ : nullptr);
  if (columns_writer_ != nullptr) {
    writer.BeginList("columns", ColumnHeaderTexts(messages, shape_.explain));
    writer.AppendRecords(columns_, columns_writer_->records());
    writer.EndList();
  }
  WriteTotalsMember(writer, record);
  if (writer.KeepsDocuments())
    WriteRecordMembers(writer, record, std::nullopt);
  writer.EndDocument();
}

void DatabaseOutput::WriteTableRecords(
    ResultWriter& writer, const std::shared_ptr<const RunRecord>& record) {
  if (shape_.plan) {
    const Plan plan(record, shape_.rule);
    WritePlanRecords(writer, plan);
    return;
  }
  tce::WriteTableRecords(writer, *record, record->listed,
                         shape_.explain ? &traces_ : nullptr);
}

void DatabaseOutput::WriteColumnRecords(ResultWriter& writer) {
  if (columns_writer_ != nullptr)
    writer.AppendRecords(columns_, columns_writer_->records());
}

}  // namespace tce
