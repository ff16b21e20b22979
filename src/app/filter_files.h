// Owner and table lists from files (--owners-file, --tables-file), for
// lists longer than a command line can carry: one name or % pattern a
// line, lines ended by LF or CR LF, blanks around a name ignored; blank
// lines and lines whose first non-blank character is "#" are left out. A
// comma splits a line into names, as in --owners and the options panel.
#ifndef TCE_APP_FILTER_FILES_H_
#define TCE_APP_FILTER_FILES_H_

#include "app/batch_options.h"

namespace tce {

// Adds the names of the options' filter files to `owners` and `tables`.
// False, after a message on standard error naming the file, when one
// cannot be read, holds a NUL byte, or names nothing (an empty list would
// mean every owner or table, the opposite of what a list is for).
bool ReadFilterFiles(BatchOptions& options);

}  // namespace tce

#endif  // TCE_APP_FILTER_FILES_H_
