#include "db/connection.h"

#include <sqlext.h>

#include <algorithm>
#include <cstring>

#include "base/connection_string.h"
#include "base/number_text.h"
#include "db/server_probe.h"

namespace tce {
namespace {

constexpr int kCompletedSize = 255;
constexpr char kMaskedPassword[] = "********";

// The text a zero-terminated output buffer holds, without trailing blanks.
std::string BufferText(const SQLCHAR* buffer, size_t size) {
  const char* chars = reinterpret_cast<const char*>(buffer);
  size_t length = strnlen(chars, size);
  while (length > 0 && chars[length - 1] == ' ') --length;
  return std::string(chars, length);
}

}  // namespace

Status Connection::AllocateHandles() {
  Log("Allocating Database Environment");
  const std::string unavailable = library_.LoadFailure();
  if (!unavailable.empty()) {
    return Status::Failure("Allocation Error: " + unavailable);
  }
  Status status = CliHandle::Allocate(library_, SQL_HANDLE_ENV, SQL_NULL_HANDLE,
                                      SQL_NULL_HENV, SQL_NULL_HDBC, env_);
  if (status.ok() && library_.Exports("SQLSetEnvAttr")) {
    // Driver managers want the ODBC version before a connection handle.
    const SQLRETURN rc =
        library_.SetEnvAttr(env_.get(), SQL_ATTR_ODBC_VERSION,
                            reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!Succeeded(rc)) {
      status = CallFailure(library_, "SQLSetEnvAttr", rc, env_.get(),
                           SQL_NULL_HDBC, SQL_NULL_HSTMT);
    }
  }
  if (!status.ok()) {
    env_.Free();
    return status.AddMessage(
        "SQL CLI Driver Error: Environment handle failure");
  }
  Log("Allocating Database Connection");
  status = CliHandle::Allocate(library_, SQL_HANDLE_DBC, env_.get(), env_.get(),
                               SQL_NULL_HDBC, dbc_);
  if (!status.ok()) {
    env_.Free();
    return status.AddMessage(
        "SQL CLI Driver Error: Can't Allocate a connection handle");
  }
  return status;
}

Status Connection::DriverConnect(const std::string& connection_string,
                                 void* owner_window, std::string& completed) {
  SQLCHAR out[kCompletedSize + 1];
  std::memset(out, ' ', kCompletedSize);
  out[kCompletedSize] = '\0';
  SQLSMALLINT out_length = 0;
  std::string in = connection_string;
  // The driver prompts in a dialog owned by our window. Without a window to
  // own it the driver completes the string without a dialog: driver
  // managers refuse a prompt that has no owner window.
  const SQLRETURN rc = library_.DriverConnect(
      dbc_.get(), static_cast<SQLHWND>(owner_window),
      reinterpret_cast<SQLCHAR*>(in.data()), SQL_NTS, out, kCompletedSize,
      &out_length,
      owner_window != nullptr ? SQL_DRIVER_PROMPT : SQL_DRIVER_COMPLETE);
  completed = BufferText(out, kCompletedSize);
  Log(MaskPassword(completed));
  if (Succeeded(rc)) return Status();
  Status status = CallFailure(library_, "SQLDriverConnect", rc, env_.get(),
                              dbc_.get(), SQL_NULL_HSTMT);
  // The completed string is worth showing only when the driver gave one.
  if (!completed.empty()) {
    status.AddMessage("Can't connect to database. Connect=" +
                      MaskPassword(completed));
  }
  Log("Connect RC=" + WithLeadingBlank(std::to_string(rc)) +
      "Connect String=" + MaskPassword(completed));
  return status;
}

Status Connection::Open(const std::string& database, const std::string& user,
                        const std::string& password, void* owner_window) {
  Disconnect();  // a second connect releases the first
  DatabaseName = database;
  UserName = user;
  UserPassword = password;
  PageSizeExpression.clear();
  Status status = AllocateHandles();
  if (!status.ok()) return status;

  const std::string connection_string =
      (Server.empty() ? std::string() : ConnectionStringPair("SERVER", Server)) +
      ConnectionStringPair("DATABASE", database) +
      ConnectionStringPair("UID", user) + ConnectionStringPair("PWD", password);
  Log("Connect String=" + MaskPassword(connection_string));
  std::string completed;
  status = DriverConnect(connection_string, owner_window, completed);
  if (!status.ok()) {
    dbc_.Free();
    env_.Free();
    return status;
  }
  if (auto value = ReadConnectionValue(completed, "DATABASE"))
    DatabaseName = *value;
  if (auto value = ReadConnectionValue(completed, "UID")) UserName = *value;
  if (auto value = ReadConnectionValue(completed, "PWD")) UserPassword = *value;
  Log("Database=" + DatabaseName + " Userid=" + UserName +
      " Password=" + kMaskedPassword);
  open_ = true;
  ++generation_;
  return Status();
}

Status Connection::Connect(const std::string& database, const std::string& user,
                           const std::string& password, void* owner_window) {
  // The probe asks only a connection that was made: without one it could
  // only name a false cause.
  Status status = Open(database, user, password, owner_window);
  if (!status.ok()) return status;
  // Without the page size no estimate can be made: a connection whose probe
  // failed is of no use and is closed again.
  ProbeResult probe = ProbeServer(*this);
  if (!probe.status.ok()) {
    Disconnect();
    return probe.status;
  }
  PageSizeExpression = probe.expression;
  ServerVersion = probe.version;
  ReadServerName();
  return Status();
}

void Connection::ReadServerName() {
  // The name only tells records of different servers apart: a driver that
  // cannot give it leaves it empty, and the connection stands.
  SQLCHAR name[1024] = {};
  SQLSMALLINT length = 0;
  const SQLRETURN rc = library_.GetInfo(dbc_.get(), SQL_SERVER_NAME, name,
                                        sizeof name, &length);
  library_.TakeFailure();
  ServerName.clear();
  if (!Succeeded(rc)) return;
  const size_t size = std::min<size_t>(
      length < 0 ? 0 : static_cast<size_t>(length), sizeof name - 1);
  ServerName.assign(reinterpret_cast<const char*>(name), size);
}

void Connection::Disconnect() {
  if (open_) {
    library_.Disconnect(dbc_.get());
    library_.TakeFailure();
    open_ = false;
    ++generation_;
  }
  dbc_.Free();
  env_.Free();
}

}  // namespace tce
