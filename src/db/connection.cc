#include "db/connection.h"

#include <sqlext.h>

#include <cstring>

#include "db/server_probe.h"
#include "base/number_text.h"

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

std::string ConnectionStringPair(std::string_view key, std::string_view value) {
  const bool braces =
      value.find_first_of(";{}") != std::string_view::npos ||
      (!value.empty() && (value.front() == ' ' || value.back() == ' '));
  std::string pair(key);
  pair += '=';
  if (braces) {
    pair += '{';
    for (char c : value) {
      pair += c;
      if (c == '}') pair += '}';
    }
    pair += '}';
  } else {
    pair += value;
  }
  pair += ';';
  return pair;
}

std::optional<std::string> ReadConnectionValue(std::string_view completed,
                                               std::string_view key) {
  const size_t found = completed.find(key);
  if (found == std::string_view::npos) return std::nullopt;
  size_t at = found + key.size();
  if (at < completed.size() && completed[at] == '{') {
    std::string value;
    for (++at; at < completed.size(); ++at) {
      if (completed[at] != '}') {
        value += completed[at];
      } else if (at + 1 < completed.size() && completed[at + 1] == '}') {
        value += '}';
        ++at;
      } else {
        return value;
      }
    }
    return std::nullopt;  // no closing brace
  }
  const size_t end = completed.find(';', at);
  if (end == std::string_view::npos) return std::nullopt;
  return std::string(completed.substr(at, end - at));
}

std::string MaskPassword(std::string_view connection_string) {
  std::string text(connection_string);
  const size_t found = text.find("PWD=");
  if (found == std::string::npos) return text;
  const size_t start = found + 4;
  size_t end;
  if (start < text.size() && text[start] == '{') {
    end = start + 1;
    while (end < text.size()) {
      if (text[end] == '}' && end + 1 < text.size() && text[end + 1] == '}') {
        end += 2;
      } else if (text[end] == '}') {
        ++end;
        break;
      } else {
        ++end;
      }
    }
  } else {
    end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
  }
  return text.replace(start, end - start, kMaskedPassword);
}

int16_t Connection::Connect(const std::string& database,
                            const std::string& user,
                            const std::string& password) {
  DatabaseName = database;
  UserName = user;
  UserPassword = password;
  const std::string connection_string =
      ConnectionStringPair("DATABASE", database) +
      ConnectionStringPair("UID", user) + ConnectionStringPair("PWD", password);
  CliLibrary& cli = handles_.library();
  Log("Allocating Database Environment");
  SQLRETURN rc = handles_.AllocEnvironment();
  const std::string failure = cli.TakeFailure();
  if (!failure.empty()) {
    reporter_.ShowMessage("Allocation Error: " + failure);
    return -1;
  }
  if (rc != SQL_SUCCESS) {
    reporter_.ShowMessage("SQL CLI Driver Error: Environment handle failure");
    return rc;
  }
  Log("Allocating Database Connection");
  rc = handles_.AllocConnection();
  if (rc != SQL_SUCCESS) {
    reporter_.ShowMessage(
        "SQL CLI Driver Error: Can't Allocate a connection handle");
    return rc;
  }
  Log("Connect String=" + MaskPassword(connection_string));

  SQLCHAR completed[kCompletedSize + 1];
  std::memset(completed, ' ', kCompletedSize);
  completed[kCompletedSize] = '\0';
  SQLSMALLINT completed_length = 0;
  std::string in = connection_string;
  // The driver prompts in a dialog owned by our window. Without a window to
  // own it the driver completes the string without a dialog: driver managers
  // refuse a prompt that has no owner window.
  void* owner = reporter_.desktop().DialogOwnerWindow();
  rc = cli.DriverConnect(
      handles_.ConnectionHandle, static_cast<SQLHWND>(owner),
      reinterpret_cast<SQLCHAR*>(in.data()), SQL_NTS, completed, kCompletedSize,
      &completed_length,
      owner != nullptr ? SQL_DRIVER_PROMPT : SQL_DRIVER_COMPLETE);
  handles_.LastResultCode = rc;
  const std::string completed_text = BufferText(completed, kCompletedSize);
  Log(MaskPassword(completed_text));

  // Success with information is a connection too: it is open and must be
  // released like any other.
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
    // Without a dialog of its own the driver's reason would go unseen.
    statements_.ReportSqlError();
    reporter_.ShowBox(kProgramTitle,
                      "Can't connect to database. Connect=" + completed_text);
    Log("Connect RC=" + WithLeadingBlank(std::to_string(rc)) +
        "Connect String=" + MaskPassword(completed_text));
    PageSizeExpression = ProbeServer(statements_, reporter_);
    return rc;
  }
  if (auto value = ReadConnectionValue(completed_text, "DATABASE="))
    DatabaseName = *value;
  if (auto value = ReadConnectionValue(completed_text, "UID="))
    UserName = *value;
  if (auto value = ReadConnectionValue(completed_text, "PWD="))
    UserPassword = *value;
  Log("Database=" + DatabaseName + " Userid=" + UserName +
      " Password=" + kMaskedPassword);
  ConnectionOpen = true;
  PageSizeExpression = ProbeServer(statements_, reporter_);
  return 0;
}

int16_t Connection::Disconnect() {
  if (ConnectionOpen) {
    handles_.library().Disconnect(handles_.ConnectionHandle);
    handles_.FreeConnection();
    handles_.FreeEnvironment();
  }
  ConnectionOpen = false;
  return 0;
}

}  // namespace tce
