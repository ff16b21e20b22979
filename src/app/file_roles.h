// One file, one role: two options that reach one file (an output over an
// input, one output over another, an input read twice) are a mistake that
// would replace what the user meant to keep, so the command line is
// refused before anything is read or written.
#ifndef TCE_APP_FILE_ROLES_H_
#define TCE_APP_FILE_ROLES_H_

#include <string>
#include <vector>

#include "app/batch_options.h"

namespace tce {

// Why two of the files are one, naming both options and the file as each
// gave it; empty when every file has one role. Existing files are the same
// by device and inode (through links); a name not made yet is where it
// would be made: its links followed, its folders resolved, its path made
// absolute and normalised. Terminals, pipes and devices are streams that
// several options may share.
std::string SharedFile(const std::vector<NamedFile>& files);

// True when every file the options name has one role; otherwise says why
// on standard error.
bool EachFileHasOneRole(const BatchOptions& options);

}  // namespace tce

#endif  // TCE_APP_FILE_ROLES_H_
