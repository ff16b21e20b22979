// The distribution summary and getCard: any text, any row count.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/cardinality.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < sizeof(double)) return 0;
  double rows;
  std::memcpy(&rows, data, sizeof rows);
  std::string text(reinterpret_cast<const char*>(data) + sizeof rows,
                   size - sizeof rows);
  const auto summary = tce::ReadDistributionSummary(text);
  if (summary && (summary->distinct > summary->sampled ||
                  summary->singles > summary->distinct)) {
    std::abort();
  }
  const double card = tce::getCard(text, rows);
  // Always a finite count, never below zero; for a readable summary of a
  // table with rows, between d and the rows (or the rows when d exceeds
  // them).
  if (!std::isfinite(card) || card < 0) std::abort();
  if (summary && std::isfinite(rows) && rows > 0) {
    const double d = static_cast<double>(summary->distinct);
    if (card > std::max(rows, d) || card < std::min(rows, d)) std::abort();
  }
  tce::CardinalityOf(text, tce::Fixed4::FromDouble(rows));
  return 0;
}
