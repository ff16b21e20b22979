#include "engine/column_types.h"

#include <algorithm>
#include <array>
#include <string>

namespace tce {
namespace {

using T = ColumnType;

constexpr std::string_view kNames[] = {
    "CHAR",     "SMALLINT", "INTEGER",  "FLOAT",     "SMALLFLOAT", "DECIMAL",
    "SERIAL",   "DATE",     "MONEY",    "NULL",      "DATETIME",   "BYTE",
    "TEXT",     "VARCHAR",  "INTERVAL", "NCHAR",     "NVARCHAR",   "INT8",
    "SERIAL8",  "SET",      "MULTISET", "LIST",      "UNNAMED",    "LVARCHAR",
    "CLOB",     "BIGINT",   "BIGSERIAL", "UNKNOWN",  "BLOB",       "NAMED",
    "OPAQUE",   "OTHER",    "REAL",     "DOUBLE",    "TIME",       "TIMESTAMP",
    ""};
static_assert(std::size(kNames) == static_cast<size_t>(T::kNoType) + 1);

// The types of the catalog's codes, by code; kNoType marks an unlisted code.
constexpr std::array<T, 256> kByCode = [] {
  std::array<T, 256> types{};
  types.fill(T::kNoType);
  for (int code = 0; code <= 22; ++code) types[code] = static_cast<T>(code);
  types[40] = T::kLvarchar;
  types[41] = T::kClob;
  types[52] = T::kBigint;
  types[53] = T::kBigserial;
  return types;
}();

}  // namespace

bool IsCharacterType(T type) {
  return type == T::kChar || type == T::kNchar || type == T::kVarchar ||
         type == T::kNvarchar || type == T::kLvarchar;
}

ColumnType ColumnTypeFromCode(int32_t type_code, const Logger& reporter) {
  const int code = type_code & 255;
  if (kByCode[code] != T::kNoType) return kByCode[code];
  reporter.Log("Data Type", "Unknown datatype=" + std::to_string(code));
  return T::kUnknown;
}

std::string_view TypeNameOf(ColumnType type) {
  return kNames[static_cast<size_t>(type)];
}

std::optional<ColumnType> ColumnTypeNamed(std::string_view name) {
  if (name.empty()) return std::nullopt;
  for (size_t i = 0; i < std::size(kNames); ++i) {
    if (kNames[i] == name) return static_cast<T>(i);
  }
  return std::nullopt;
}

StorageClass StorageClassOf(ColumnType type) {
  switch (type) {
    case T::kByte: case T::kText: case T::kBlob: case T::kClob:
    case T::kUnknown: case T::kOther: case T::kNull: case T::kNoType:
      return FixedIncompressible;
    case T::kSet: case T::kMultiset: case T::kList: case T::kNamed:
    case T::kUnnamed: case T::kOpaque: case T::kLvarchar: case T::kVarchar:
    case T::kNvarchar:
      return VariableLength;
    default:
      return FixedCompressible;
  }
}

int32_t ColumnByteLength(ColumnType type, int32_t length) {
  switch (type) {
    case T::kSmallint:
      return 2;
    case T::kInteger: case T::kDate: case T::kSerial: case T::kReal:
    case T::kSmallfloat:
      return 4;
    case T::kSerial8: case T::kInt8:
      return 10;
    case T::kDatetime: case T::kTime: case T::kInterval:
      return length / 256;
    case T::kFloat: case T::kDouble: case T::kBigint: case T::kBigserial:
      return 8;
    case T::kByte: case T::kText:
      return 56;
    case T::kBlob: case T::kClob: case T::kUnknown: case T::kOther:
      return 72;
    case T::kLvarchar:
      return length == 0 ? 2048 : length;
    case T::kVarchar: case T::kNvarchar:
      // Only the low byte is the maximum length; a high byte of 128 or more
      // arrives as a negative 16-bit value.
      return length > 0 ? length % 256 : (length + 65536) % 256;
    case T::kDecimal: case T::kMoney: {
      const int32_t precision = length / 256;
      return precision % 2 != 0 ? (precision + 4) / 2 : (precision + 3) / 2;
    }
    default:  // CHAR, NCHAR, the collection, row and opaque types, NULL
      return length;
  }
}

int16_t TypeIndexOf(ColumnType type) {
  switch (type) {
    case T::kVarchar: case T::kNvarchar: case T::kLvarchar:
      return 2;
    case T::kChar: case T::kNchar:
      return 3;
    case T::kInt8: case T::kSerial8:
      return 4;
    case T::kSmallint:
      return 6;
    case T::kInteger: case T::kSerial:
      return 7;
    case T::kBigint: case T::kBigserial:
      return 8;
    case T::kReal: case T::kSmallfloat:
      return 9;
    case T::kFloat:
      return 10;
    case T::kDouble:
      return 11;
    case T::kDecimal: case T::kMoney:
      return 12;
    case T::kDate:
      return 13;
    case T::kTime:
      return 14;
    case T::kTimestamp: case T::kDatetime: case T::kInterval:
      return 15;
    default:  // OTHER, NULL and every type without an index of its own
      return 1;
  }
}

int16_t SizeClassOf(ColumnType type, int32_t byte_length) {
  const int16_t length = static_cast<int16_t>(
      std::clamp<int32_t>(byte_length, INT16_MIN, INT16_MAX));
  switch (type) {
    case T::kDecimal: case T::kMoney:
      return std::min<int16_t>(length, 16);
    case T::kTimestamp: case T::kDatetime: case T::kInterval:
      return 10;
    case T::kTime:
      return 3;
    default:  // the character types and every other
      return std::min<int16_t>(length, 15);
  }
}

int16_t CardinalityClassOf(ColumnType type, Fixed4 cardinality) {
  if (IsCharacterType(type)) return 1;
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
