// The report's input: any text read as JSON, taken as the tool's documents
// or refused, and a page made of what was taken. Names never become markup.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "output/report.h"
#include "support/json_value.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const std::optional<tce::Json> document = tce::ReadJson(text, &error);
  if (!document) {
    if (error.empty()) std::abort();
    return 0;
  }
  tce::Report report;
  if (!tce::ReportOfDocument(*document, &report.databases, &error)) {
    if (error.empty() || !report.databases.empty()) std::abort();
    return 0;
  }
  const std::string html = tce::ReportHtml(report);
  if (html.find("<script") != std::string::npos) std::abort();
  return 0;
}
