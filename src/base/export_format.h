// The formats results are written in.
#ifndef TCE_BASE_EXPORT_FORMAT_H_
#define TCE_BASE_EXPORT_FORMAT_H_

#include <cstdint>

namespace tce {

// kHtml is the report's: a page, not a list, written by the report alone.
enum class ExportFormat : uint8_t { kTab, kComma, kJson, kHtml };

// The delimited format the export delimiter option chooses.
inline ExportFormat DelimitedFormat(bool tab_delimited) {
  return tab_delimited ? ExportFormat::kTab : ExportFormat::kComma;
}

}  // namespace tce

#endif  // TCE_BASE_EXPORT_FORMAT_H_
