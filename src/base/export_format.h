// The formats results are written in.
#ifndef TCE_BASE_EXPORT_FORMAT_H_
#define TCE_BASE_EXPORT_FORMAT_H_

#include <cstdint>

namespace tce {

enum class ExportFormat : uint8_t { kTab, kComma, kJson };

// The delimited format the export delimiter option chooses.
inline ExportFormat DelimitedFormat(bool tab_delimited) {
  return tab_delimited ? ExportFormat::kTab : ExportFormat::kComma;
}

}  // namespace tce

#endif  // TCE_BASE_EXPORT_FORMAT_H_
