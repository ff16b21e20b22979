// The column type model: a catalog type code decoded once into a ColumnType,
// and the attributes the engine derives from it, the catalog length and the
// cardinality. Type names are for display only.
#ifndef TCE_ENGINE_COLUMN_TYPES_H_
#define TCE_ENGINE_COLUMN_TYPES_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "base/debug_log.h"
#include "engine/fixed4.h"

namespace tce {

enum StorageClass : int16_t {
  // No class: the column's length could not be read; it counts nothing.
  NoStorageClass = 0,
  // Fixed length; its saving is looked up in the statistics table.
  FixedCompressible = 1,
  // Fixed length counted in full with no saving (large-object descriptors,
  // unknown and unlisted types).
  FixedIncompressible = 2,
  // Variable length; the declared length is an upper bound and Compute
  // treats all such columns of a table together.
  VariableLength = 3,
};

// Every type the model knows. The first group are the catalog's codes; the
// second are names the statistics table is built with, which no catalog code
// gives. kNoType is a column whose code could not be read: it falls into the
// default row of every mapping and has no name.
enum class ColumnType : uint8_t {
  kChar, kSmallint, kInteger, kFloat, kSmallfloat, kDecimal, kSerial, kDate,
  kMoney, kNull, kDatetime, kByte, kText, kVarchar, kInterval, kNchar,
  kNvarchar, kInt8, kSerial8, kSet, kMultiset, kList, kUnnamed, kLvarchar,
  kClob, kBigint, kBigserial, kUnknown,
  kBlob, kNamed, kOpaque, kOther, kReal, kDouble, kTime, kTimestamp,
  kNoType,
};

// The type of a catalog type code; only the low 8 bits count. An unlisted
// code gives kUnknown and, when the debug log is on, the entry
// "Data Type" / "Unknown datatype=<code AND 255>".
ColumnType ColumnTypeFromCode(int32_t type_code, const Logger& reporter);

// The upper-case name ("VARCHAR"); empty for kNoType.
std::string_view TypeNameOf(ColumnType type);
// The type of an upper-case name, for definitions and tests; nullopt for a
// name the model does not know.
std::optional<ColumnType> ColumnTypeNamed(std::string_view name);

StorageClass StorageClassOf(ColumnType type);

// The byte length a column takes in an uncompressed row.
int32_t ColumnByteLength(ColumnType type, int32_t catalog_length);

// The statistics table's type index, 1 to 15.
int16_t TypeIndexOf(ColumnType type);

// The byte length capped per type, or a fixed class per type. Lengths
// beyond the 16-bit range are clamped to it first. No lower bound: 0 or a
// negative length gives that value, which the lookup rejects.
int16_t SizeClassOf(ColumnType type, int32_t byte_length);

// CHAR, NCHAR, VARCHAR, NVARCHAR and LVARCHAR.
bool IsCharacterType(ColumnType type);

// 1 to 4 from the cardinality: character types always 1; otherwise 0..10
// gives 1, 11..100 gives 2, 101..250 gives 3 and anything else 4, compared
// exactly on the four-decimal value.
int16_t CardinalityClassOf(ColumnType type, Fixed4 cardinality);

}  // namespace tce

#endif  // TCE_ENGINE_COLUMN_TYPES_H_
