// The column type model: the five attributes the engine derives from a
// column's catalog type code, catalog length and cardinality.
#ifndef TCE_ENGINE_COLUMN_TYPES_H_
#define TCE_ENGINE_COLUMN_TYPES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "base/debug_log.h"
#include "engine/fixed4.h"

namespace tce {

enum StorageClass : int16_t {
  // Fixed length; its saving is looked up in the statistics table.
  FixedCompressible = 1,
  // Fixed length counted in full with no saving (large-object descriptors,
  // unknown and unlisted types).
  FixedIncompressible = 2,
  // Variable length; the declared length is an upper bound and Compute
  // treats all such columns of a table together.
  VariableLength = 3,
};

// The type name of a catalog type code; only the low 8 bits count. An
// unlisted code gives "UNKNOWN" and, when the debug log is on, the entry
// "Data Type" / "Unknown datatype=<code AND 255>".
const std::string& TypeNameFromCode(int32_t type_code,
                                    const Logger& reporter);

// The byte length a column takes in an uncompressed row, and its storage
// class through `storage`.
int32_t ColumnByteLength(std::string_view type_name, int32_t catalog_length,
                         StorageClass& storage);

// The statistics table's type index, 1 to 15.
int16_t TypeIndexOf(std::string_view type_name);

// The byte length capped per type, or a fixed class per type. Lengths
// beyond the 16-bit range are clamped to it first. No lower bound: 0 or a
// negative length gives that value, which the lookup rejects.
int16_t SizeClassOf(std::string_view type_name, int32_t byte_length);

// 1 to 4 from the cardinality: character types always 1; otherwise 0..10
// gives 1, 11..100 gives 2, 101..250 gives 3 and anything else 4, compared
// exactly on the four-decimal value.
int16_t CardinalityClassOf(std::string_view type_name, Fixed4 cardinality);

}  // namespace tce

#endif  // TCE_ENGINE_COLUMN_TYPES_H_
