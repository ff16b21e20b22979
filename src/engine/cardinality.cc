#include "engine/cardinality.h"

#include <algorithm>
#include <cmath>

namespace tce {
namespace {

// A plain unsigned decimal number of 1 to 18 digits (so that it fits 64 bits
// with room to spare).
std::optional<uint64_t> PlainNumber(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value;
}

}  // namespace

std::optional<DistributionSummary> ReadDistributionSummary(
    std::string_view text) {
  constexpr std::string_view kMagic = "TVD1";
  if (text.substr(0, kMagic.size()) != kMagic) return std::nullopt;
  const char* p = text.data() + kMagic.size();
  const char* const end = text.data() + text.size();
  if (p < end && *p != ';') return std::nullopt;

  std::optional<uint64_t> s, d, f1;
  while (p < end) {
    ++p;  // the ";" before the field
    const char* field = p;
    while (p < end && *p != ';' && *p != '=') ++p;
    if (p == field && (p == end || *p == ';')) continue;  // an empty field
    // Past the summary (bins, or a chunk cut short): stop reading here.
    if (p == end || *p != '=') break;
    const std::string_view key(field, static_cast<size_t>(p - field));
    const char* value = ++p;
    while (p < end && *p != ';') ++p;
    std::optional<uint64_t>* slot = nullptr;
    if (key.size() == 1 && key[0] == 's') slot = &s;
    if (key.size() == 1 && key[0] == 'd') slot = &d;
    if (key.size() == 2 && key[0] == 'f' && key[1] == '1') slot = &f1;
    if (slot == nullptr) continue;               // a field of a later format
    if (slot->has_value()) return std::nullopt;  // repeated
    *slot =
        PlainNumber(std::string_view(value, static_cast<size_t>(p - value)));
    if (!slot->has_value()) return std::nullopt;
  }
  if (!s || !d || !f1 || *d > *s || *f1 > *d) return std::nullopt;
  return DistributionSummary{*s, *d, *f1};
}

namespace {

// getCard on a summary already read.
double CardinalityFromSummary(const std::optional<DistributionSummary>& summary,
                              double rows) {
  if (!std::isfinite(rows)) rows = 0.0;
  if (!summary) return rows > 0.0 ? rows : 0.0;
  const double s = static_cast<double>(summary->sampled);
  const double d = static_cast<double>(summary->distinct);
  const double f1 = static_cast<double>(summary->singles);
  if (rows <= 0.0 || s >= rows) return d;
  if (s == 0.0) return rows;
  const double duj1 = s * d / (s - f1 + f1 * s / rows);
  if (!std::isfinite(duj1)) return rows;
  return std::clamp(duj1, d, rows);
}

}  // namespace

ColumnBasis BasisOf(const std::optional<DistributionSummary>& summary,
                    double rows) {
  if (!summary) return ColumnBasis::kNone;
  if (!std::isfinite(rows) || rows <= 0.0 ||
      static_cast<double>(summary->sampled) >= rows) {
    return ColumnBasis::kFull;
  }
  return summary->sampled == 0 ? ColumnBasis::kNone : ColumnBasis::kSampled;
}

double getCard(std::string& distribution, double rows) {
  return CardinalityFromSummary(ReadDistributionSummary(distribution), rows);
}

Fixed4 CardinalityOf(std::string& distribution, Fixed4 row_count,
                     ColumnBasis* basis, uint64_t* sample) {
  const std::optional<DistributionSummary> summary =
      ReadDistributionSummary(distribution);
  const double rows = row_count.ToDouble();
  if (basis != nullptr) *basis = BasisOf(summary, rows);
  if (sample != nullptr) *sample = summary ? summary->sampled : 0;
  return Fixed4::FromDouble(CardinalityFromSummary(summary, rows));
}

}  // namespace tce
