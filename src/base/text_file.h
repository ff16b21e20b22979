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

// The folder of the program's own files once installed
// (<prefix>/share/tarvex-compest beside <prefix>/bin), or the program's
// folder in the build tree.
inline constexpr char kProgramDataFolder[] = "tarvex-compest";
std::string ProgramDataDirectory();

// The user's configuration folder: $XDG_CONFIG_HOME/tarvex-compest, by
// default ~/.config/tarvex-compest; empty when there is no home.
std::string UserConfigDirectory();

// Where an optional file is looked for: the current directory first, then
// the user's configuration folder, then the program's data folder (the
// installed share folder, or beside the program in the build tree).
// Returns the bare name when none has it.
std::string LocateOptionalFile(const std::string& name);

// Whether `path` is a file of the program's own: in its folder or its
// installed data folder, which only those who installed it can change.
bool IsProgramFile(const std::string& path);

// The shared line syntax of the configuration and message files: the line
// trimmed; empty for a comment line (first character "*"); cut at the first
// ";" from the second character on (a trailing comment), trimmed again.
std::string_view StripCommentsAndBlanks(std::string_view line);

}  // namespace tce

#endif  // TCE_BASE_TEXT_FILE_H_
