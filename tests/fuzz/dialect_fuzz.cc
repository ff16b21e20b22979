// The embedded driver's dialect rewriter on any statement text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dialect.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string sql(reinterpret_cast<const char*>(data), size);
  const std::string translated = tvcli::TranslateStatement(sql, "sales");
  // Literals are copied as they are: a text without ":" or "/" outside
  // them, or any at all, comes out the same.
  if (sql.find_first_of(":/") == std::string::npos && translated != sql)
    std::abort();
  return 0;
}
