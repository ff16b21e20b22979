// Connection strings: KEY=VALUE pairs ended by ";". A value in braces may
// hold ";", "=" and blanks, with "}" doubled inside it.
#ifndef TVCLI_CONNECTION_STRING_H_
#define TVCLI_CONNECTION_STRING_H_

#include <map>
#include <string>
#include <string_view>

namespace tvcli {

// Keys upper-cased; the last occurrence of a key wins. Blanks around keys and
// unbraced values are dropped.
std::map<std::string, std::string> ParseConnectionString(std::string_view text);

// "KEY=value;" with the value in braces when it needs them.
std::string ConnectionPair(std::string_view key, std::string_view value);

}  // namespace tvcli

#endif  // TVCLI_CONNECTION_STRING_H_
