#include "base/status.h"

namespace tce {

// The standard SQL/CLI result codes, by value, so that a status can name
// them without the driver's headers.
std::string ResultCodeName(int rc) {
  switch (rc) {
    case 0:
      return "SQL_SUCCESS";
    case 1:
      return "SQL_SUCCESS_WITH_INFO";
    case 100:
      return "SQL_NO_DATA";
    case -1:
      return "SQL_ERROR";
    case -2:
      return "SQL_INVALID_HANDLE";
    case 2:
      return "SQL_STILL_EXECUTING";
    case 99:
      return "SQL_NEED_DATA";
    default:
      return "result " + std::to_string(rc);
  }
}


Status Status::DriverFailure(std::string call, int rc, Diagnostic diagnostic) {
  Status status;
  status.kind_ = FailureKind::kDriver;
  status.call_ = std::move(call);
  status.rc_ = rc;
  status.diagnostic_ = std::move(diagnostic);
  return status;
}

Status Status::Failure(std::string message, FailureKind kind) {
  Status status;
  status.kind_ = kind == FailureKind::kNone ? FailureKind::kInput : kind;
  status.messages_.push_back(std::move(message));
  return status;
}

Status& Status::AddMessage(std::string message) {
  if (kind_ == FailureKind::kNone) kind_ = FailureKind::kInput;
  messages_.push_back(std::move(message));
  return *this;
}

std::string Status::DriverText() const {
  if (call_.empty()) return {};
  if (!diagnostic_.text.empty()) return diagnostic_.text;
  return "The driver's " + call_ + " returned " + ResultCodeName(rc_) +
         " without saying why.";
}

std::string Status::ToString() const {
  if (ok()) return "success";
  std::string text;
  if (driver_failure()) {
    text = call_ + " returned " + ResultCodeName(rc_);
    if (!diagnostic_.sqlstate.empty()) {
      text += " (SQLSTATE " + diagnostic_.sqlstate + ", native " +
              std::to_string(diagnostic_.native) + ")";
    }
    text += ": " + DriverText();
  }
  for (const std::string& message : messages_) {
    if (!text.empty()) text += "; ";
    text += message;
  }
  return text;
}

}  // namespace tce
