#include "engine/fixed4.h"

#include <charconv>
#include <cmath>

#include "base/number_text.h"

namespace tce {
namespace {

using Wide = __int128;

int64_t Saturate(Wide value) {
  if (value > INT64_MAX) return INT64_MAX;
  if (value < INT64_MIN) return INT64_MIN;
  return static_cast<int64_t>(value);
}

// Divides by a positive divisor, rounding the quotient half to even.
Wide DivideHalfEven(Wide numerator, Wide divisor) {
  Wide quotient = numerator / divisor;
  Wide remainder = numerator % divisor;
  if (remainder < 0) {  // make the remainder non-negative (floor division)
    remainder += divisor;
    quotient -= 1;
  }
  Wide twice = remainder * 2;
  if (twice > divisor || (twice == divisor && quotient % 2 != 0)) {
    quotient += 1;
  }
  return quotient;
}

}  // namespace

Fixed4 Fixed4::FromInt(int64_t whole) {
  return FromRaw(Saturate(static_cast<Wide>(whole) * kScale));
}

std::optional<Fixed4> Fixed4::TryFromDouble(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  // Whole numbers, the usual case, are exact as they are.
  if (std::fabs(value) < 9e14 && value == std::trunc(value)) {
    return FromRaw(static_cast<int64_t>(value) * kScale);
  }
  // The exact binary value is m * 2^e; m * 10000 * 2^e is rounded to a
  // whole number of ten-thousandths, halves to even, with no rounding on
  // the way (multiplying by 10000 in double would round first).
  int exponent = 0;
  const double fraction = std::frexp(value, &exponent);
  const Wide mantissa = static_cast<Wide>(std::ldexp(fraction, 53));
  const int shift = exponent - 53;
  const Wide scaled = mantissa * kScale;
  Wide raw;
  if (shift >= 0) {
    if (shift > 62) return std::nullopt;
    raw = scaled << shift;
  } else if (shift < -120) {
    raw = 0;  // far below half a ten-thousandth
  } else {
    // Division by a power of two: the quotient and remainder by shifts.
    const int bits = -shift;
    const Wide magnitude = scaled < 0 ? -scaled : scaled;
    Wide quotient = magnitude >> bits;
    const Wide remainder = magnitude & ((static_cast<Wide>(1) << bits) - 1);
    const Wide half = static_cast<Wide>(1) << (bits - 1);
    if (remainder > half || (remainder == half && (quotient & 1) != 0)) {
      ++quotient;
    }
    raw = scaled < 0 ? -quotient : quotient;
  }
  if (raw > INT64_MAX || raw < INT64_MIN) return std::nullopt;
  return FromRaw(static_cast<int64_t>(raw));
}

Fixed4 Fixed4::FromDouble(double value) {
  if (std::isnan(value)) return Fixed4();
  if (std::optional<Fixed4> fixed = TryFromDouble(value)) return *fixed;
  return value > 0 ? Max() : Min();
}

int64_t Fixed4::RoundToWhole() const {
  return static_cast<int64_t>(DivideHalfEven(raw_, kScale));
}

std::string Fixed4::ToText() const {
  std::string text;
  AppendText(text);
  return text;
}

void Fixed4::AppendText(std::string& out) const {
  char text[kMaxTextLength];
  out.append(text, ToChars(text));
}

char* Fixed4::ToChars(char* first) const {
  // In 64 bits: the magnitude of INT64_MIN still fits unsigned.
  const uint64_t magnitude = raw_ < 0 ? 0 - static_cast<uint64_t>(raw_)
                                      : static_cast<uint64_t>(raw_);
  const uint64_t whole = magnitude / kScale;
  int fraction = static_cast<int>(magnitude % kScale);
  char* end = first;
  if (raw_ < 0) *end++ = '-';
  end = std::to_chars(end, first + kMaxTextLength, whole).ptr;
  if (fraction != 0) {
    *end++ = '.';
    int digits = 4;
    while (fraction % 10 == 0) {
      fraction /= 10;
      --digits;
    }
    for (int i = digits - 1; i >= 0; --i) {
      end[i] = static_cast<char>('0' + fraction % 10);
      fraction /= 10;
    }
    end += digits;
  }
  return end;
}

Fixed4 operator+(Fixed4 a, Fixed4 b) {
  return Fixed4::FromRaw(Saturate(static_cast<Wide>(a.raw_) + b.raw_));
}

Fixed4 operator-(Fixed4 a, Fixed4 b) {
  return Fixed4::FromRaw(Saturate(static_cast<Wide>(a.raw_) - b.raw_));
}

Fixed4 operator*(Fixed4 a, Fixed4 b) {
  // |raw| < 2^63, so the product fits in 127 bits.
  Wide product = static_cast<Wide>(a.raw_) * b.raw_;
  return Fixed4::FromRaw(Saturate(DivideHalfEven(product, Fixed4::kScale)));
}

}  // namespace tce
