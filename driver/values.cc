// A column's value as the application asked for it: the text a server
// sends, in UTF-8 or UTF-16, whole or in parts, or a C number.
#include "values.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace tvcli {
namespace {

// UTF-8 as UTF-16 code units (SQLWCHAR's encoding); bytes that are not
// UTF-8 become U+FFFD.
std::u16string Utf16(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80    ? 1
                          : lead >= 0xF0 ? 4
                          : lead >= 0xE0 ? 3
                          : lead >= 0xC2 ? 2
                                         : 0;
    char32_t code = length == 1   ? lead
                    : length == 2 ? lead & 0x1F
                    : length == 3 ? lead & 0x0F
                                  : lead & 0x07;
    bool valid = length > 0 && i + length <= text.size() && lead < 0xF5;
    for (size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (valid && (code < kLeast[length] || (code >= 0xD800 && code < 0xE000)))
      valid = false;
    if (!valid) {
      wide.push_back(u'\uFFFD');
      i += 1;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      wide.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      wide.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      wide.push_back(static_cast<char16_t>(code));
    }
    i += length;
  }
  return wide;
}

// A value read as a number: whole when it was stored or written as one.
struct Number {
  bool whole = false;
  int64_t integer = 0;
  double real = 0;
};

// Reads a column's value as a number; false when its text is not one.
bool ReadNumber(sqlite3_value* value, int type, Number* number) {
  if (type == SQLITE_INTEGER) {
    number->whole = true;
    number->integer = sqlite3_value_int64(value);
    number->real = static_cast<double>(number->integer);
    return true;
  }
  if (type == SQLITE_FLOAT) {
    number->real = sqlite3_value_double(value);
    return true;
  }
  char buffer[40];
  std::string_view text = ValueText(value, type, buffer);
  while (!text.empty() &&
         std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  if (text.empty() || text.size() > 100) return false;
  const char* end = text.data() + text.size();
  const auto whole = std::from_chars(text.data(), end, number->integer);
  if (whole.ec == std::errc() && whole.ptr == end) {
    number->whole = true;
    number->real = static_cast<double>(number->integer);
    return true;
  }
  const std::string copy(text);
  char* parsed_end = nullptr;
  number->real = std::strtod(copy.c_str(), &parsed_end);
  return parsed_end == copy.c_str() + copy.size() && !std::isnan(number->real);
}

template <typename T>
SQLRETURN StoreInteger(Stmt& stmt, const Number& number, SQLPOINTER buffer,
                       SQLLEN* indicator) {
  constexpr auto kMin = std::numeric_limits<T>::min();
  constexpr auto kMax = std::numeric_limits<T>::max();
  T value;
  bool fraction = false;
  if (number.whole) {
    if (number.integer < kMin || number.integer > kMax)
      return stmt.ClientError("22003", "Numeric value out of range.");
    value = static_cast<T>(number.integer);
  } else {
    const double truncated = std::trunc(number.real);
    // The bounds as doubles: -kMin (kMax + 1) is a power of two, exactly
    // held, where kMax itself may not be.
    if (!(truncated >= static_cast<double>(kMin) &&
          truncated < -static_cast<double>(kMin))) {
      return stmt.ClientError("22003", "Numeric value out of range.");
    }
    value = static_cast<T>(truncated);
    fraction = truncated != number.real;
  }
  std::memcpy(buffer, &value, sizeof value);
  if (indicator != nullptr) *indicator = sizeof value;
  if (fraction) {
    stmt.Warning("01S07", "Fractional truncation.");
    return SQL_SUCCESS_WITH_INFO;
  }
  return SQL_SUCCESS;
}

// A date, and for a timestamp its time of day, read from a value's text.
struct Moment {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  SQLUINTEGER fraction = 0;  // nanoseconds
};

// The number in `count` digits at `at`, or -1.
int Digits(std::string_view text, size_t at, size_t count) {
  if (at + count > text.size()) return -1;
  int value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

int DaysIn(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30,
                                  31, 31, 30, 31, 30, 31};
  const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Reads "YYYY-MM-DD", then optionally a blank or T and "HH:MM:SS" with an
// optional fraction of up to nine digits.
bool ReadMoment(std::string_view text, Moment* m) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  m->year = Digits(text, 0, 4);
  m->month = Digits(text, 5, 2);
  m->day = Digits(text, 8, 2);
  if (m->year < 0 || m->month < 1 || m->month > 12 || m->day < 1 ||
      text[4] != '-' || text[7] != '-' || m->day > DaysIn(m->year, m->month))
    return false;
  if (text.size() == 10) return true;
  m->hour = Digits(text, 11, 2);
  m->minute = Digits(text, 14, 2);
  m->second = Digits(text, 17, 2);
  if ((text[10] != ' ' && text[10] != 'T') || m->hour < 0 || m->hour > 23 ||
      m->minute < 0 || m->minute > 59 || m->second < 0 || m->second > 59 ||
      text[13] != ':' || text[16] != ':')
    return false;
  if (text.size() == 19) return true;
  const size_t digits = text.size() - 20;
  if (text[19] != '.' || digits < 1 || digits > 9) return false;
  const int fraction = Digits(text, 20, digits);
  if (fraction < 0) return false;
  m->fraction = static_cast<SQLUINTEGER>(fraction);
  for (size_t i = digits; i < 9; ++i) m->fraction *= 10;
  return true;
}

SQLRETURN StoreDate(Stmt& stmt, sqlite3_value* value, int type,
                    SQLSMALLINT target, SQLPOINTER buffer, SQLLEN* indicator) {
  char number[40];
  Moment m;
  if (!ReadMoment(ValueText(value, type, number), &m)) {
    return stmt.ClientError("22018",
                            "Invalid character value for cast specification.");
  }
  const auto year = static_cast<SQLSMALLINT>(m.year);
  const auto month = static_cast<SQLUSMALLINT>(m.month);
  const auto day = static_cast<SQLUSMALLINT>(m.day);
  if (target == SQL_C_TYPE_DATE || target == SQL_C_DATE) {
    const SQL_DATE_STRUCT date{year, month, day};
    std::memcpy(buffer, &date, sizeof date);
    if (indicator != nullptr) *indicator = sizeof date;
    if (m.hour != 0 || m.minute != 0 || m.second != 0 || m.fraction != 0) {
      stmt.Warning("01S07", "Fractional truncation.");
      return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
  }
  const SQL_TIMESTAMP_STRUCT stamp{year,
                                   month,
                                   day,
                                   static_cast<SQLUSMALLINT>(m.hour),
                                   static_cast<SQLUSMALLINT>(m.minute),
                                   static_cast<SQLUSMALLINT>(m.second),
                                   m.fraction};
  std::memcpy(buffer, &stamp, sizeof stamp);
  if (indicator != nullptr) *indicator = sizeof stamp;
  return SQL_SUCCESS;
}

SQLRETURN StoreNumber(Stmt& stmt, sqlite3_value* value, int type,
                      SQLSMALLINT target, SQLPOINTER buffer,
                      SQLLEN* indicator) {
  Number number;
  if (!ReadNumber(value, type, &number)) {
    return stmt.ClientError("22018",
                            "Invalid character value for cast specification.");
  }
  switch (target) {
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
      return StoreInteger<SQLSMALLINT>(stmt, number, buffer, indicator);
    case SQL_C_SLONG:
    case SQL_C_LONG:
      return StoreInteger<SQLINTEGER>(stmt, number, buffer, indicator);
    case SQL_C_SBIGINT:
      return StoreInteger<SQLBIGINT>(stmt, number, buffer, indicator);
    case SQL_C_FLOAT: {
      if (std::fabs(number.real) > std::numeric_limits<float>::max())
        return stmt.ClientError("22003", "Numeric value out of range.");
      const float value = static_cast<float>(number.real);
      std::memcpy(buffer, &value, sizeof value);
      if (indicator != nullptr) *indicator = sizeof value;
      return SQL_SUCCESS;
    }
    default: {
      const double value = number.real;
      std::memcpy(buffer, &value, sizeof value);
      if (indicator != nullptr) *indicator = sizeof value;
      return SQL_SUCCESS;
    }
  }
}

}  // namespace

std::string_view TargetText(std::string_view text, SQLSMALLINT target,
                            std::u16string& wide) {
  if (target != SQL_C_WCHAR) return text;
  wide = Utf16(text);
  return {reinterpret_cast<const char*>(wide.data()),
          wide.size() * sizeof(char16_t)};
}

SQLRETURN StoreValue(Stmt& stmt, sqlite3_value* value, int type,
                     SQLSMALLINT target, SQLPOINTER buffer, SQLLEN* indicator) {
  switch (target) {
    case SQL_C_TYPE_DATE:
    case SQL_C_DATE:
    case SQL_C_TYPE_TIMESTAMP:
    case SQL_C_TIMESTAMP:
      return StoreDate(stmt, value, type, target, buffer, indicator);
    default:
      return StoreNumber(stmt, value, type, target, buffer, indicator);
  }
}

bool IsDeliverableType(SQLSMALLINT target) {
  switch (target) {
    case SQL_C_DEFAULT:
    case SQL_C_CHAR:
    case SQL_C_WCHAR:
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
    case SQL_C_SLONG:
    case SQL_C_LONG:
    case SQL_C_SBIGINT:
    case SQL_C_FLOAT:
    case SQL_C_DOUBLE:
    case SQL_C_TYPE_DATE:
    case SQL_C_DATE:
    case SQL_C_TYPE_TIMESTAMP:
    case SQL_C_TIMESTAMP:
      return true;
    default:
      return false;
  }
}

}  // namespace tvcli
