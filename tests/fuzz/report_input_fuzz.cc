// The report's input: any text read as a run's JSON document, its records
// taken or the text refused with a reason, and a page made of what was
// taken. Names never become markup.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/json_reader.h"
#include "base/message_table.h"
#include "output/record_reader.h"
#include "output/report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tce::MessageTable* messages = [] {
    auto* table = new tce::MessageTable();
    table->LoadBuiltInTexts();
    return table;
  }();
  tce::JsonReader reader(
      std::string_view(reinterpret_cast<const char*>(data), size));
  tce::Records records;
  const tce::Status status = tce::ReadRecordDocument(reader, &records);
  if (!status.ok()) {
    if (status.messages().empty() || !records.empty()) std::abort();
    return 0;
  }
  const std::string html = tce::ReportHtml(records, *messages);
  if (html.find("<script") != std::string::npos) std::abort();
  return 0;
}
