// The command-line tool's password: never from the command line.
#ifndef TCE_APP_PASSWORD_H_
#define TCE_APP_PASSWORD_H_

#include <optional>
#include <string>

namespace tce {

// Reads the password from the first line of `file` when given (it must be a
// regular file), else asks for it without echo when standard input is a
// terminal, else takes standard input's first line. A line end (LF or
// CR LF) is not part of it. False, after a message on standard error, when
// it cannot be read or holds a NUL byte.
bool ReadPassword(const std::optional<std::string>& file,
                  std::string& password);

}  // namespace tce

#endif  // TCE_APP_PASSWORD_H_
