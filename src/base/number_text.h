// Numbers to text and text to numbers, the one place where the program does
// either. Every grid cell, log line and message that carries a number is made
// here, and every reader of such text comes back through here.
#ifndef TCE_BASE_NUMBER_TEXT_H_
#define TCE_BASE_NUMBER_TEXT_H_

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace tce {

// Rounds to the nearest whole number, halves to the even neighbour
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Non-finite values are returned unchanged.
double RoundHalfEven(double value);

// Plain decimal text: no thousands separator, no exponent for whole numbers
// that fit 64 bits, a decimal point only when the value is not whole, no
// trailing zeros ("14", "-3.5", "0.25"). Other values use up to 15
// significant digits.
std::string FormatNumber(double value);
std::string FormatNumber(int64_t value);

// The same text with one leading blank when it does not start with "-"
// (" 14", "-3.5"), as the grid cells carry their numbers.
std::string WithLeadingBlank(std::string text);

// `value` of at least `base` scaled by `base` until it is below it (or the
// units run out), with one decimal under 100: "12.3 MB". `units` names the
// first step up and those after it.
std::string ScaledWithUnit(double value, double base,
                           std::initializer_list<const char*> units);

// Reads the leading numeric part of a text the lenient way: blanks anywhere
// are skipped, then an optional sign, digits with at most one decimal point
// and an optional exponent (E or D); reading stops at the first character
// that cannot continue the number. No number at all gives 0. The result may
// be infinite when the exponent is out of range.
double LeadingNumber(std::string_view text);

// The value of a text that is a plain whole number of at most 15 digits
// (blanks before it, a sign, digits, and nothing after them that could
// continue a number), or nullopt; LeadingNumber of such a text is exactly
// this value.
std::optional<int64_t> PlainInteger(std::string_view text);

// LeadingNumber rounded half to even and converted to a 64-bit integer;
// nullopt when the value does not fit.
std::optional<int64_t> LenientInteger(std::string_view text);

// Converts a double to an integer of the given range after rounding half to
// even; nullopt when it is not finite or falls outside [min, max].
std::optional<int64_t> RoundToRange(double value, int64_t min, int64_t max);

}  // namespace tce

#endif  // TCE_BASE_NUMBER_TEXT_H_
