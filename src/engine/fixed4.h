// Fixed4: the engine's number type, a signed 64-bit fixed-point value with
// four decimal places (the stored integer is the value times 10 000).
//
// Sums and differences are exact, products round to four decimals, and
// conversions from double round to the nearest ten-thousandth with halves to
// even. Results beyond the range (about +-9.2e14) saturate at its ends
// instead of wrapping, so that absurd catalog values cannot turn into
// plausible-looking ones.
#ifndef TCE_ENGINE_FIXED4_H_
#define TCE_ENGINE_FIXED4_H_

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace tce {

class Fixed4 {
 public:
  static constexpr int64_t kScale = 10000;

  constexpr Fixed4() = default;

  static constexpr Fixed4 FromRaw(int64_t raw) {
    Fixed4 value;
    value.raw_ = raw;
    return value;
  }
  static Fixed4 FromInt(int64_t whole);
  // Rounds half to even; NaN gives 0, values out of range saturate.
  static Fixed4 FromDouble(double value);
  // nullopt when the value is not finite or out of range.
  static std::optional<Fixed4> TryFromDouble(double value);
  // The largest and smallest representable values.
  static constexpr Fixed4 Max() { return FromRaw(INT64_MAX); }
  static constexpr Fixed4 Min() { return FromRaw(INT64_MIN); }

  constexpr int64_t raw() const { return raw_; }
  double ToDouble() const { return static_cast<double>(raw_) / kScale; }
  // The value rounded to a whole number, halves to even.
  int64_t RoundToWhole() const;

  // Plain decimal text without trailing zeros: "14", "20.7143", "-0.5".
  std::string ToText() const;
  // Appends ToText()'s text to `out` without a string of its own.
  void AppendText(std::string& out) const;
  // Writes ToText()'s text at `first` (room for kMaxTextLength) and returns
  // its end.
  static constexpr size_t kMaxTextLength = 32;
  char* ToChars(char* first) const;

  friend Fixed4 operator+(Fixed4 a, Fixed4 b);
  friend Fixed4 operator-(Fixed4 a, Fixed4 b);
  // The exact product rounded to four decimals, halves to even.
  friend Fixed4 operator*(Fixed4 a, Fixed4 b);
  Fixed4& operator+=(Fixed4 other) { return *this = *this + other; }
  Fixed4& operator-=(Fixed4 other) { return *this = *this - other; }

  friend constexpr auto operator<=>(Fixed4 a, Fixed4 b) = default;
  friend constexpr bool operator==(Fixed4 a, Fixed4 b) = default;

 private:
  int64_t raw_ = 0;
};

}  // namespace tce

#endif  // TCE_ENGINE_FIXED4_H_
