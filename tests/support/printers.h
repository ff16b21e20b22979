// How test failures print the program's own value types.
#ifndef TCE_TESTS_SUPPORT_PRINTERS_H_
#define TCE_TESTS_SUPPORT_PRINTERS_H_

#include <ostream>

#include "engine/fixed4.h"

namespace tce {

inline void PrintTo(Fixed4 value, std::ostream* os) { *os << value.ToText(); }

}  // namespace tce

#endif  // TCE_TESTS_SUPPORT_PRINTERS_H_
