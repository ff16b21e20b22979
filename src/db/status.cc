#include "db/status.h"

#include <sqlext.h>

namespace tce {

std::string ResultCodeName(int rc) {
  switch (rc) {
    case SQL_SUCCESS:
      return "SQL_SUCCESS";
    case SQL_SUCCESS_WITH_INFO:
      return "SQL_SUCCESS_WITH_INFO";
    case SQL_NO_DATA:
      return "SQL_NO_DATA";
    case SQL_ERROR:
      return "SQL_ERROR";
    case SQL_INVALID_HANDLE:
      return "SQL_INVALID_HANDLE";
    case SQL_STILL_EXECUTING:
      return "SQL_STILL_EXECUTING";
    case SQL_NEED_DATA:
      return "SQL_NEED_DATA";
    default:
      return "result " + std::to_string(rc);
  }
}

Status Status::DriverFailure(std::string call, int rc, Diagnostic diagnostic) {
  Status status;
  status.failed_ = true;
  status.call_ = std::move(call);
  status.rc_ = rc;
  status.diagnostic_ = std::move(diagnostic);
  return status;
}

Status Status::Failure(std::string message) {
  Status status;
  status.failed_ = true;
  status.messages_.push_back(std::move(message));
  return status;
}

Status& Status::AddMessage(std::string message) {
  failed_ = true;
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
