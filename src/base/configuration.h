// The optional configuration file "TarvexCompEst.ini": switches the debug
// log (DEBUG=ON) and the SQL log (SHOWSQL=ON) on before the first window,
// may name the SQL/CLI driver library to load (CLILIB=...) and the history
// file the windows keep every completed run in (HISTORY=...).
#ifndef TCE_BASE_CONFIGURATION_H_
#define TCE_BASE_CONFIGURATION_H_

#include <string>

#include "base/run_settings.h"

namespace tce {

inline constexpr char kConfigurationFileName[] = "TarvexCompEst.ini";

struct Configuration {
  // The driver library named by CLILIB (a file name or a path), or empty
  // for the embedded driver beside the program.
  std::string cli_library;
  // The history file named by HISTORY, a path relative to the
  // configuration file's folder made whole; empty when none is named (the
  // windows then keep nothing).
  std::string history_file;
};

// Sets LogSQL false, then reads the file at `path`: DEBUG and SHOWSQL set
// DebugLog and LogSQL (true for the value ON in any case, false for any
// other), CLILIB names the driver library, HISTORY the history file. A
// missing or unreadable file, unreadable lines and unknown keys are
// ignored silently; the last occurrence of a key wins.
Configuration ReadConfiguration(const std::string& path, RunSettings& settings);

// Whether the configuration file at `path` may name a library to load: it
// belongs to the user running the program, and neither it nor its folder
// can be changed by others (a folder with the sticky bit keeps others from
// replacing it). A file that others can write could make the program load
// their code.
bool MayNameALibrary(const std::string& path);

}  // namespace tce

#endif  // TCE_BASE_CONFIGURATION_H_
