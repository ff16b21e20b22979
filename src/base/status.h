// Status: the outcome of a step as a value. A success, or a failure of one
// kind: a driver call that failed (with its result code and the driver's
// diagnostic: SQLSTATE, native code, text), input the program refused, or
// a file it could not read or write; with what the program has to say
// about it. Callers decide how to show it; nothing below the windows and
// the command-line tool shows anything to the user.
#ifndef TCE_BASE_STATUS_H_
#define TCE_BASE_STATUS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace tce {

// A driver result code as text: "SQL_ERROR", "SQL_INVALID_HANDLE" ...
std::string ResultCodeName(int rc);

// What the driver said about its last failure.
struct Diagnostic {
  std::string sqlstate;  // five characters, or empty when none was given
  int32_t native = 0;
  std::string text;  // the message without its three bracketed prefixes
  // What the driver's SQLError answered when it was asked: anything but
  // SQL_SUCCESS means the diagnostic could not be read.
  int read_rc = 0;  // SQL_SUCCESS
};

// What kind of failure a status is.
enum class FailureKind : uint8_t {
  kNone,    // success
  kDriver,  // a driver call failed, or the database refused
  kInput,   // what the program was given (catalog values, documents,
            // options) cannot be used
  kFile,    // a file could not be read or written
};

class Status {
 public:
  // Success.
  Status() = default;

  // The driver call `call` returned `rc` (a failure); `diagnostic` is what
  // the driver said, empty when it gave nothing.
  static Status DriverFailure(std::string call, int rc, Diagnostic diagnostic);
  // A failure the program found itself, told to the user as `message`.
  static Status Failure(std::string message,
                        FailureKind kind = FailureKind::kInput);
  // A file that could not be read or written.
  static Status FileFailure(std::string message) {
    return Failure(std::move(message), FailureKind::kFile);
  }

  bool ok() const { return kind_ == FailureKind::kNone; }
  FailureKind kind() const { return kind_; }

  // Adds a message of the program's own, shown after the driver's text.
  Status& AddMessage(std::string message);

  const std::string& call() const { return call_; }  // empty: not a call
  int rc() const { return rc_; }
  const Diagnostic& diagnostic() const { return diagnostic_; }
  // Whether a driver call failed (its text goes into the "SQL Error" box).
  bool driver_failure() const { return !call_.empty(); }
  // The driver's text; when the driver gave none, a text that names the
  // call and its result instead. Empty for failures of the program's own.
  std::string DriverText() const;
  // The program's own messages, in the order they are to be shown.
  const std::vector<std::string>& messages() const { return messages_; }
  // One line for logs and standard error: everything above.
  std::string ToString() const;

 private:
  FailureKind kind_ = FailureKind::kNone;
  std::string call_;
  int rc_ = 0;
  Diagnostic diagnostic_;
  std::vector<std::string> messages_;
};

}  // namespace tce

#endif  // TCE_BASE_STATUS_H_
