// Connection strings: KEY=VALUE pairs ended by ";". A value in braces may
// hold ";", "=" and blanks, with "}" doubled inside it. The one reader of
// them, used by the program and by the embedded driver alike.
#ifndef TCE_BASE_CONNECTION_STRING_H_
#define TCE_BASE_CONNECTION_STRING_H_

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tce {

// One KEY=VALUE pair and where it lies in the text.
struct ConnectionField {
  std::string key;         // as written, blanks around it dropped
  std::string value;       // braces and doubled "}" undone; blanks dropped when
                           // not braced
  size_t value_begin = 0;  // the value's text, braces included, up to
  size_t value_end = 0;    // the ";" that ends the pair
  bool terminated = false;  // a ";" ends the pair
};

// The pairs in the order they are written. A part without "=" before its
// ";" is skipped; an unclosed brace runs to the end of the text.
std::vector<ConnectionField> SplitConnectionString(std::string_view text);

// Keys upper-cased; the last occurrence of a key wins.
std::map<std::string, std::string> ParseConnectionString(std::string_view text);

// "KEY=value;" as sent to a driver: the value in braces (with "}" doubled)
// when it holds ";", "{" or "}" or begins or ends with a blank; otherwise
// exactly as given.
std::string ConnectionStringPair(std::string_view key, std::string_view value);

// The value of the first pair whose key is exactly `key` (for example
// "UID"), when a ";" ends that pair; nullopt otherwise.
std::optional<std::string> ReadConnectionValue(std::string_view text,
                                               std::string_view key);

// The text with the value of every PWD or PASSWORD key, whatever its case,
// braced or not, replaced by ********; everything else as it was.
std::string MaskPassword(std::string_view text);

}  // namespace tce

#endif  // TCE_BASE_CONNECTION_STRING_H_
