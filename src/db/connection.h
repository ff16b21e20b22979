// The one database connection: opened from the connection panel's values,
// followed by the server probe, released when the program ends.
#ifndef TCE_DB_CONNECTION_H_
#define TCE_DB_CONNECTION_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "db/driver_handles.h"
#include "db/statement.h"
#include "base/debug_log.h"

namespace tce {

// "KEY=value;" as sent to the driver: the value in braces (with "}"
// doubled) when it holds ";", "{" or "}" or begins or ends with a blank;
// otherwise exactly as given.
std::string ConnectionStringPair(std::string_view key, std::string_view value);

// The value after the first `key` (for example "UID=") of a completed
// connection string, up to the next ";" or, for a braced value, its closing
// brace; nullopt when the key is missing or its value has no end.
std::optional<std::string> ReadConnectionValue(std::string_view completed,
                                               std::string_view key);

// The connection string with the value of PWD= replaced by ********.
std::string MaskPassword(std::string_view connection_string);

class Connection {
 public:
  Connection(DriverHandles& handles, StatementLayer& statements,
             const Reporter& reporter)
      : handles_(handles), statements_(statements), reporter_(reporter) {}

  // Connects and probes the server. 0 when connected, the driver's result
  // (or -1 when the driver library cannot be used) otherwise, after the
  // reason has been shown. On success DatabaseName, UserName and
  // UserPassword hold the values the driver confirmed.
  int16_t Connect(const std::string& database, const std::string& user,
                  const std::string& password);

  // Disconnects and frees the handles when a connection is open; returns 0.
  int16_t Disconnect();

  bool ConnectionOpen = false;
  std::string DatabaseName;
  std::string UserName;
  std::string UserPassword;
  std::string PageSizeExpression;

 private:
  void Log(std::string_view text) const {
    reporter_.Log("TarvexConnect", text);
  }

  DriverHandles& handles_;
  StatementLayer& statements_;
  const Reporter& reporter_;
};

}  // namespace tce

#endif  // TCE_DB_CONNECTION_H_
