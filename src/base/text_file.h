// Reading the program's optional text files: configuration, messages and
// help topics. They are bytes in the system's single-byte code page, with
// lines ended by CR LF or LF; a last line without a line end counts too.
#ifndef TCE_BASE_TEXT_FILE_H_
#define TCE_BASE_TEXT_FILE_H_

#include <functional>
#include <string>
#include <string_view>

namespace tce {

// Calls `line` for every line of the file, without its line end, and
// closes the file. False when the file cannot be opened or is not a
// regular file; reading stops quietly at a read error.
bool ReadTextLines(const std::string& path,
                   const std::function<void(std::string_view)>& line);

// The folder of the running executable ("." when it cannot be found).
std::string ExecutableDirectory();

// Where an optional file is looked for: the current directory first, then
// the program's own directory. Returns the bare name when neither has it.
std::string LocateOptionalFile(const std::string& name);

// Whether `path` is a file in the program's own folder.
bool IsBesideTheProgram(const std::string& path);

// The shared line syntax of the configuration and message files: the line
// trimmed; empty for a comment line (first character "*"); cut at the first
// ";" from the second character on (a trailing comment), trimmed again.
std::string_view StripCommentsAndBlanks(std::string_view line);

}  // namespace tce

#endif  // TCE_BASE_TEXT_FILE_H_
