#include "engine/column_types.h"

#include <algorithm>
#include <initializer_list>

namespace tce {
namespace {

bool IsOneOf(std::string_view name,
             std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsCharacterType(std::string_view name) {
  return IsOneOf(name, {"CHAR", "NCHAR", "VARCHAR", "NVARCHAR", "LVARCHAR"});
}

}  // namespace

std::string TypeNameFromCode(int32_t type_code, const Logger& reporter) {
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
  const int code = type_code & 255;
  for (const Code& entry : kCodes) {
    if (entry.code == code) return entry.name;
  }
  reporter.Log("Data Type", "Unknown datatype=" + std::to_string(code));
  return "UNKNOWN";
}

int32_t ColumnByteLength(std::string_view name, int32_t length,
                         StorageClass& storage) {
  storage = FixedCompressible;
  if (name == "SMALLINT") return 2;
  if (IsOneOf(name, {"INTEGER", "DATE", "SERIAL"})) return 4;
  if (IsOneOf(name, {"SERIAL8", "INT8"})) return 10;
  if (IsOneOf(name, {"DATETIME", "TIME", "INTERVAL"})) return length / 256;
  if (IsOneOf(name, {"CHAR", "NCHAR"})) return length;
  if (IsOneOf(name, {"REAL", "SMALLFLOAT"})) return 4;
  if (IsOneOf(name, {"FLOAT", "DOUBLE"})) return 8;
  if (IsOneOf(name, {"BIGINT", "BIGSERIAL"})) return 8;
  if (IsOneOf(name, {"BYTE", "TEXT"})) {
    storage = FixedIncompressible;
    return 56;
  }
  if (IsOneOf(name, {"BLOB", "CLOB", "UNKNOWN", "OTHER"})) {
    storage = FixedIncompressible;
    return 72;
  }
  if (IsOneOf(name,
              {"SET", "MULTISET", "LIST", "NAMED", "UNNAMED", "OPAQUE"})) {
    storage = VariableLength;
    return length;
  }
  if (name == "LVARCHAR") {
    storage = VariableLength;
    return length == 0 ? 2048 : length;
  }
  if (IsOneOf(name, {"VARCHAR", "NVARCHAR"})) {
    // Only the low byte is the maximum length; a high byte of 128 or more
    // arrives as a negative 16-bit value.
    storage = VariableLength;
    return length > 0 ? length % 256 : (length + 65536) % 256;
  }
  if (IsOneOf(name, {"DECIMAL", "MONEY"})) {
    const int32_t precision = length / 256;
    return precision % 2 != 0 ? (precision + 4) / 2 : (precision + 3) / 2;
  }
  storage = FixedIncompressible;
  return length;
}

int16_t TypeIndexOf(std::string_view name) {
  if (IsOneOf(name, {"OTHER", "NULL"})) return 1;
  if (IsOneOf(name, {"VARCHAR", "NVARCHAR", "LVARCHAR"})) return 2;
  if (IsOneOf(name, {"CHAR", "NCHAR"})) return 3;
  if (IsOneOf(name, {"INT8", "SERIAL8"})) return 4;
  if (name == "SMALLINT") return 6;
  if (IsOneOf(name, {"INTEGER", "SERIAL"})) return 7;
  if (IsOneOf(name, {"BIGINT", "BIGSERIAL"})) return 8;
  if (IsOneOf(name, {"REAL", "SMALLFLOAT"})) return 9;
  if (name == "FLOAT") return 10;
  if (name == "DOUBLE") return 11;
  if (IsOneOf(name, {"DECIMAL", "MONEY"})) return 12;
  if (name == "DATE") return 13;
  if (name == "TIME") return 14;
  if (IsOneOf(name, {"TIMESTAMP", "DATETIME", "INTERVAL"})) return 15;
  return 1;
}

int16_t SizeClassOf(std::string_view name, int32_t byte_length) {
  const int16_t length = static_cast<int16_t>(
      std::clamp<int32_t>(byte_length, INT16_MIN, INT16_MAX));
  if (IsCharacterType(name)) return std::min<int16_t>(length, 15);
  if (IsOneOf(name, {"DECIMAL", "MONEY"})) return std::min<int16_t>(length, 16);
  if (IsOneOf(name, {"TIMESTAMP", "DATETIME", "INTERVAL"})) return 10;
  if (name == "TIME") return 3;
  return std::min<int16_t>(length, 15);
}

int16_t CardinalityClassOf(std::string_view name, Fixed4 cardinality) {
  if (IsCharacterType(name)) return 1;
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
