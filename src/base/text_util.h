// Small text helpers shared by every module: blanks, case, line splitting.
//
// Text in this program is bytes (the catalog's and the files' single-byte
// code page); these helpers never interpret bytes above 127.
#ifndef TCE_BASE_TEXT_UTIL_H_
#define TCE_BASE_TEXT_UTIL_H_

#include <string>
#include <string_view>
#include <vector>

namespace tce {

// Removes leading and trailing blanks (spaces and tabs).
std::string_view TrimBlanks(std::string_view text);
std::string_view TrimLeadingBlanks(std::string_view text);
std::string_view TrimTrailingBlanks(std::string_view text);

// Removes leading and trailing spaces only (the catalog's padding).
std::string_view TrimSpaces(std::string_view text);

// Upper-cases the ASCII letters a-z; other bytes are kept.
std::string ToUpperAscii(std::string_view text);

// Splits text into lines ended by LF or CR LF; a last line without a line
// end is a line too, an empty text has no lines.
std::vector<std::string_view> SplitLines(std::string_view text);

// Whether `name` can be a database of a server: letters, digits and
// underscores, starting with a letter, at most 128 bytes, and not the
// server's own system database ("sysmaster", in any case). Such a name is
// a name, never a path.
bool IsDatabaseName(std::string_view name);

// Text to show on a terminal or in a message: control characters (and
// DEL) as \xNN, so that a name cannot move the cursor or change colours;
// everything else as it is.
std::string Printable(std::string_view text);

}  // namespace tce

#endif  // TCE_BASE_TEXT_UTIL_H_
