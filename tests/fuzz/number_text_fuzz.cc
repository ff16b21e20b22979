// The number and text helpers: reading any text, and numbers formatted and
// read back.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/number_text.h"
#include "engine/fixed4.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  tce::LeadingNumber(text);
  tce::LenientInteger(text);
  if (size < sizeof(double)) return 0;
  double value;
  std::memcpy(&value, data, sizeof value);
  if (!std::isfinite(value)) return 0;
  // Plain decimal text reads back as the number (to its 15 digits; near
  // the largest doubles those digits may round beyond them).
  const std::string formatted = tce::FormatNumber(value);
  const double back = tce::LeadingNumber(formatted);
  if (std::fabs(value) < 1e300 &&
      std::fabs(back - value) > std::fabs(value) * 1e-14 + 1e-300) {
    std::abort();
  }
  if (tce::WithLeadingBlank(formatted).size() < formatted.size()) std::abort();
  // Fixed4's text reads back exactly.
  const tce::Fixed4 fixed = tce::Fixed4::FromDouble(value);
  if (std::fabs(fixed.ToDouble()) < 1e11) {
    const tce::Fixed4 again =
        tce::Fixed4::FromDouble(tce::LeadingNumber(fixed.ToText()));
    if (again != fixed) std::abort();
  }
  // Rounding to the nearest ten-thousandth is never off by more than half.
  if (std::fabs(value) < 1e11 &&
      std::fabs(fixed.ToDouble() - value) > 0.00005 + std::fabs(value) * 1e-15)
    std::abort();
  return 0;
}
