// What tvserver-build may replace: nothing, an empty folder, or a server
// folder it wrote itself. Anything else at the target belongs to someone
// and is left alone.
#ifndef TCE_CATALOGS_SERVER_FOLDER_H_
#define TCE_CATALOGS_SERVER_FOLDER_H_

#include <sys/stat.h>

#include <string>
#include <vector>

namespace tce::catalogs {

// A server folder written by the tool holds this file: its first line says
// so, each line after it names a file the tool wrote beside it.
inline constexpr char kMarkFile[] = ".tvserver-build";
inline constexpr char kMarkFirstLine[] = "tvserver-build server folder";

enum class TargetKind {
  kAbsent,       // nothing there yet
  kEmptyFolder,  // a folder with nothing in it
  kOwnServer,    // a server folder the tool wrote
  kRefused,      // anything else
};

struct TargetState {
  TargetKind kind = TargetKind::kRefused;
  struct stat info {};               // of a folder: its mode and owner
  std::vector<std::string> entries;  // of an own server: what it holds
  std::string reason;                // of a refused target: why
};

// Judges what is at `target`; a link there is refused, never followed. A
// folder without the mark is taken for a server the tool wrote before it
// marked them when it holds nothing but SQLite files with a server's
// tables: sysmaster.db and <database>.db files.
TargetState JudgeTarget(const std::string& target);

// Writes the mark into `folder`, naming `files`.
bool WriteMark(const std::string& folder, const std::vector<std::string>& files,
               std::string* error);

}  // namespace tce::catalogs

#endif  // TCE_CATALOGS_SERVER_FOLDER_H_
