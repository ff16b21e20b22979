// The server definitions that tvserver-build reads.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "catalog_definition.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  tce::catalogs::ServerDefinition server;
  std::string error;
  if (!tce::catalogs::ParseServerDefinition(text, &server, &error)) {
    if (error.rfind("line ", 0) != 0) std::abort();
    return 0;
  }
  for (const auto& database : server.databases) {
    for (const auto& table : database.tables) {
      for (const auto& column : table.columns) {
        // Every length fits the catalog's 16-bit column.
        if (column.catalog_length < -32768 || column.catalog_length > 65535)
          std::abort();
      }
    }
  }
  return 0;
}
