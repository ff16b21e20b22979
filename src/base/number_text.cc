#include "base/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace tce {

double RoundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  // Done by hand rather than with nearbyint, which depends on the
  // process's current rounding mode.
  double floor_value = std::floor(value);
  double diff = value - floor_value;
  if (diff < 0.5) return floor_value;
  if (diff > 0.5) return floor_value + 1.0;
  return std::fmod(floor_value, 2.0) == 0.0 ? floor_value : floor_value + 1.0;
}

std::string FormatNumber(int64_t value) { return std::to_string(value); }

std::string FormatNumber(double value) {
  if (value == 0.0) return "0";  // also turns -0 into "0"
  if (std::isfinite(value) && value == std::floor(value) &&
      std::fabs(value) < 9.2e18) {
    return std::to_string(static_cast<int64_t>(value));
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return buffer;
}

std::string WithLeadingBlank(std::string text) {
  if (!text.empty() && text[0] == '-') return text;
  return " " + text;
}

std::optional<int64_t> PlainInteger(std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end && *p == ' ') ++p;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  const char* first_digit = p;
  const char* last = std::min(end, first_digit + 15);
  int64_t value = 0;
  for (; p < last && static_cast<unsigned char>(*p - '0') < 10; ++p) {
    value = value * 10 + (*p - '0');
  }
  if (p == first_digit) return std::nullopt;
  // Only when nothing after the digits could continue the number.
  if (p < end && std::string_view("0123456789. \t\r\neEdD").find(*p) !=
                     std::string_view::npos) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

std::string ScaledWithUnit(double value, double base,
                           std::initializer_list<const char*> units) {
  const char* const* unit = units.begin();
  value /= base;
  while (value >= base && unit + 1 < units.end()) {
    value /= base;
    ++unit;
  }
  char text[48];
  std::snprintf(text, sizeof text, value < 100 ? "%.1f %s" : "%.0f %s", value,
                *unit);
  return text;
}

namespace {

// The exponent starting at text[at] ("E", "e", "D" or "d", a sign, digits,
// blanks allowed) as strtod reads it, or empty when no digit follows.
std::string ExponentAt(std::string_view text, size_t at) {
  if (at >= text.size() || (text[at] != 'E' && text[at] != 'e' &&
                            text[at] != 'D' && text[at] != 'd')) {
    return {};
  }
  size_t j = at + 1;
  std::string exponent = "e";
  while (j < text.size() && text[j] == ' ') ++j;
  if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
    exponent += text[j++];
  }
  bool any_digit = false;
  while (true) {
    while (j < text.size() && text[j] == ' ') ++j;
    if (j >= text.size() || text[j] < '0' || text[j] > '9') break;
    // Clamp absurd exponents instead of building a huge string.
    if (exponent.size() < 8) exponent += text[j];
    ++j;
    any_digit = true;
  }
  return any_digit ? exponent : std::string();
}

}  // namespace

double LeadingNumber(std::string_view text) {
  // Most catalog values are plain integers: read those directly.
  if (const std::optional<int64_t> plain = PlainInteger(text)) {
    return static_cast<double>(*plain);
  }
  // Collect the characters of the number, skipping blanks, then let strtod
  // convert exactly what was collected.
  std::string number;
  size_t i = 0;
  auto skip_blanks = [&] {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' ||
                               text[i] == '\r' || text[i] == '\n')) {
      ++i;
    }
  };
  auto is_digit = [&](size_t at) {
    return at < text.size() && text[at] >= '0' && text[at] <= '9';
  };
  skip_blanks();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    number += text[i++];
  }
  bool any_digit = false;
  bool seen_point = false;
  while (true) {
    skip_blanks();
    if (is_digit(i)) {
      number += text[i++];
      any_digit = true;
    } else if (i < text.size() && text[i] == '.' && !seen_point) {
      number += text[i++];
      seen_point = true;
    } else {
      break;
    }
  }
  if (!any_digit) return 0.0;
  // An exponent counts only when at least one digit follows it.
  skip_blanks();
  number += ExponentAt(text, i);
  return std::strtod(number.c_str(), nullptr);
}

std::optional<int64_t> RoundToRange(double value, int64_t min, int64_t max) {
  if (!std::isfinite(value)) return std::nullopt;
  double rounded = RoundHalfEven(value);
  if (rounded < static_cast<double>(min) ||
      rounded > static_cast<double>(max)) {
    return std::nullopt;
  }
  // The bounds compare as doubles; the edge of int64 rounds up to 2^63.
  if (rounded >= 9223372036854775807.0) return std::nullopt;
  return static_cast<int64_t>(rounded);
}

std::optional<int64_t> LenientInteger(std::string_view text) {
  return RoundToRange(LeadingNumber(text), INT64_MIN, INT64_MAX);
}

}  // namespace tce
