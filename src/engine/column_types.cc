#include "engine/column_types.h"

#include <algorithm>
#include <array>

namespace tce {
namespace {

// Every type name the mappings know, so that each mapping is one lookup and
// a switch instead of a chain of text comparisons.
enum class Name {
  kChar,
  kNchar,
  kVarchar,
  kNvarchar,
  kLvarchar,
  kSmallint,
  kInteger,
  kDate,
  kSerial,
  kSerial8,
  kInt8,
  kDatetime,
  kTime,
  kInterval,
  kTimestamp,
  kReal,
  kSmallfloat,
  kFloat,
  kDouble,
  kBigint,
  kBigserial,
  kByte,
  kText,
  kBlob,
  kClob,
  kUnknown,
  kOther,
  kSet,
  kMultiset,
  kList,
  kNamed,
  kUnnamed,
  kOpaque,
  kDecimal,
  kMoney,
  kNull,
  kNoneOfThese
};

Name NameOf(std::string_view name) {
  // A guess from the length and a letter or two, then one comparison.
  auto is = [&](std::string_view text, Name result) {
    return name == text ? result : Name::kNoneOfThese;
  };
  if (name.size() < 3) return Name::kNoneOfThese;
  const char a = name[0];
  const char b = name[1];
  switch (name.size()) {
    case 3:
      return is("SET", Name::kSet);
    case 4:
      switch (a) {
        case 'C':
          return b == 'H' ? is("CHAR", Name::kChar) : is("CLOB", Name::kClob);
        case 'D':
          return is("DATE", Name::kDate);
        case 'I':
          return is("INT8", Name::kInt8);
        case 'T':
          return b == 'I' ? is("TIME", Name::kTime) : is("TEXT", Name::kText);
        case 'R':
          return is("REAL", Name::kReal);
        case 'B':
          return b == 'Y' ? is("BYTE", Name::kByte) : is("BLOB", Name::kBlob);
        case 'L':
          return is("LIST", Name::kList);
        case 'N':
          return is("NULL", Name::kNull);
        default:
          return Name::kNoneOfThese;
      }
    case 5:
      switch (a) {
        case 'N':
          return b == 'C' ? is("NCHAR", Name::kNchar)
                          : is("NAMED", Name::kNamed);
        case 'F':
          return is("FLOAT", Name::kFloat);
        case 'O':
          return is("OTHER", Name::kOther);
        case 'M':
          return is("MONEY", Name::kMoney);
        default:
          return Name::kNoneOfThese;
      }
    case 6:
      switch (a) {
        case 'S':
          return is("SERIAL", Name::kSerial);
        case 'D':
          return is("DOUBLE", Name::kDouble);
        case 'B':
          return is("BIGINT", Name::kBigint);
        case 'O':
          return is("OPAQUE", Name::kOpaque);
        default:
          return Name::kNoneOfThese;
      }
    case 7:
      switch (a) {
        case 'V':
          return is("VARCHAR", Name::kVarchar);
        case 'I':
          return is("INTEGER", Name::kInteger);
        case 'S':
          return is("SERIAL8", Name::kSerial8);
        case 'U':
          return name[2] == 'K' ? is("UNKNOWN", Name::kUnknown)
                                : is("UNNAMED", Name::kUnnamed);
        case 'D':
          return is("DECIMAL", Name::kDecimal);
        default:
          return Name::kNoneOfThese;
      }
    case 8:
      switch (a) {
        case 'N':
          return is("NVARCHAR", Name::kNvarchar);
        case 'L':
          return is("LVARCHAR", Name::kLvarchar);
        case 'S':
          return is("SMALLINT", Name::kSmallint);
        case 'D':
          return is("DATETIME", Name::kDatetime);
        case 'I':
          return is("INTERVAL", Name::kInterval);
        case 'M':
          return is("MULTISET", Name::kMultiset);
        default:
          return Name::kNoneOfThese;
      }
    case 9:
      return a == 'T' ? is("TIMESTAMP", Name::kTimestamp)
                      : is("BIGSERIAL", Name::kBigserial);
    case 10:
      return is("SMALLFLOAT", Name::kSmallfloat);
    default:
      return Name::kNoneOfThese;
  }
}

bool IsCharacterType(Name name) {
  return name == Name::kChar || name == Name::kNchar ||
         name == Name::kVarchar || name == Name::kNvarchar ||
         name == Name::kLvarchar;
}

}  // namespace

const std::string& TypeNameFromCode(int32_t type_code, const Logger& reporter) {
  // The catalog's type codes; the low 8 bits carry the type.
  struct Code {
    int code;
    const char* name;
  };
  static constexpr Code kCodes[] = {
      {0, "CHAR"},       {1, "SMALLINT"}, {2, "INTEGER"},   {3, "FLOAT"},
      {4, "SMALLFLOAT"}, {5, "DECIMAL"},  {6, "SERIAL"},    {7, "DATE"},
      {8, "MONEY"},      {9, "NULL"},     {10, "DATETIME"}, {11, "BYTE"},
      {12, "TEXT"},      {13, "VARCHAR"}, {14, "INTERVAL"}, {15, "NCHAR"},
      {16, "NVARCHAR"},  {17, "INT8"},    {18, "SERIAL8"},  {19, "SET"},
      {20, "MULTISET"},  {21, "LIST"},    {22, "UNNAMED"},  {40, "LVARCHAR"},
      {41, "CLOB"},      {52, "BIGINT"},  {53, "BIGSERIAL"}};
  // The names by code, made once.
  static const std::array<std::string, 256>* const kNames = [] {
    auto* names = new std::array<std::string, 256>();
    for (const Code& entry : kCodes) (*names)[entry.code] = entry.name;
    return names;
  }();
  static const std::string kUnknown = "UNKNOWN";
  const int code = type_code & 255;
  if (!(*kNames)[code].empty()) return (*kNames)[code];
  reporter.Log("Data Type", "Unknown datatype=" + std::to_string(code));
  return kUnknown;
}

int32_t ColumnByteLength(std::string_view type_name, int32_t length,
                         StorageClass& storage) {
  storage = FixedCompressible;
  switch (NameOf(type_name)) {
    case Name::kSmallint:
      return 2;
    case Name::kInteger:
    case Name::kDate:
    case Name::kSerial:
      return 4;
    case Name::kSerial8:
    case Name::kInt8:
      return 10;
    case Name::kDatetime:
    case Name::kTime:
    case Name::kInterval:
      return length / 256;
    case Name::kChar:
    case Name::kNchar:
      return length;
    case Name::kReal:
    case Name::kSmallfloat:
      return 4;
    case Name::kFloat:
    case Name::kDouble:
    case Name::kBigint:
    case Name::kBigserial:
      return 8;
    case Name::kByte:
    case Name::kText:
      storage = FixedIncompressible;
      return 56;
    case Name::kBlob:
    case Name::kClob:
    case Name::kUnknown:
    case Name::kOther:
      storage = FixedIncompressible;
      return 72;
    case Name::kSet:
    case Name::kMultiset:
    case Name::kList:
    case Name::kNamed:
    case Name::kUnnamed:
    case Name::kOpaque:
      storage = VariableLength;
      return length;
    case Name::kLvarchar:
      storage = VariableLength;
      return length == 0 ? 2048 : length;
    case Name::kVarchar:
    case Name::kNvarchar:
      // Only the low byte is the maximum length; a high byte of 128 or more
      // arrives as a negative 16-bit value.
      storage = VariableLength;
      return length > 0 ? length % 256 : (length + 65536) % 256;
    case Name::kDecimal:
    case Name::kMoney: {
      const int32_t precision = length / 256;
      return precision % 2 != 0 ? (precision + 4) / 2 : (precision + 3) / 2;
    }
    default:
      storage = FixedIncompressible;
      return length;
  }
}

int16_t TypeIndexOf(std::string_view type_name) {
  switch (NameOf(type_name)) {
    case Name::kVarchar:
    case Name::kNvarchar:
    case Name::kLvarchar:
      return 2;
    case Name::kChar:
    case Name::kNchar:
      return 3;
    case Name::kInt8:
    case Name::kSerial8:
      return 4;
    case Name::kSmallint:
      return 6;
    case Name::kInteger:
    case Name::kSerial:
      return 7;
    case Name::kBigint:
    case Name::kBigserial:
      return 8;
    case Name::kReal:
    case Name::kSmallfloat:
      return 9;
    case Name::kFloat:
      return 10;
    case Name::kDouble:
      return 11;
    case Name::kDecimal:
    case Name::kMoney:
      return 12;
    case Name::kDate:
      return 13;
    case Name::kTime:
      return 14;
    case Name::kTimestamp:
    case Name::kDatetime:
    case Name::kInterval:
      return 15;
    default:  // OTHER, NULL and every name without an index of its own
      return 1;
  }
}

int16_t SizeClassOf(std::string_view type_name, int32_t byte_length) {
  const int16_t length = static_cast<int16_t>(
      std::clamp<int32_t>(byte_length, INT16_MIN, INT16_MAX));
  const Name name = NameOf(type_name);
  if (IsCharacterType(name)) return std::min<int16_t>(length, 15);
  switch (name) {
    case Name::kDecimal:
    case Name::kMoney:
      return std::min<int16_t>(length, 16);
    case Name::kTimestamp:
    case Name::kDatetime:
    case Name::kInterval:
      return 10;
    case Name::kTime:
      return 3;
    default:
      return std::min<int16_t>(length, 15);
  }
}

int16_t CardinalityClassOf(std::string_view name, Fixed4 cardinality) {
  if (IsCharacterType(NameOf(name))) return 1;
  auto between = [&](int64_t low, int64_t high) {
    return cardinality >= Fixed4::FromInt(low) &&
           cardinality <= Fixed4::FromInt(high);
  };
  if (between(0, 10)) return 1;
  if (between(11, 100)) return 2;
  if (between(101, 250)) return 3;
  return 4;
}

}  // namespace tce
