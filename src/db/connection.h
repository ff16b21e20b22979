// The one database connection: opened from the connection panel's values,
// followed by the server probe, released when the program ends. It owns
// the driver's environment and connection handles; a failed connect frees
// them before it returns.
#ifndef TCE_DB_CONNECTION_H_
#define TCE_DB_CONNECTION_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/debug_log.h"
#include "db/cli_library.h"
#include "db/handles.h"
#include "db/status.h"

namespace tce {

class Connection {
 public:
  Connection(CliLibrary& library, const Logger& logger)
      : library_(library), logger_(logger) {}
  ~Connection() { Disconnect(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Connects and probes the server. `owner_window` owns the driver's
  // connect dialog (null: the driver completes the string without one).
  // On success DatabaseName, UserName and UserPassword hold the values the
  // driver confirmed and PageSizeExpression the probe's choice. On failure
  // nothing stays allocated; the status carries the driver's diagnostic
  // and the messages to show, in order.
  Status Connect(const std::string& database, const std::string& user,
                 const std::string& password, void* owner_window);

  // Connect without the probe: allocates the handles and connects.
  Status Open(const std::string& database, const std::string& user,
              const std::string& password, void* owner_window);

  // Disconnects and frees the handles when a connection is open.
  void Disconnect();

  bool ConnectionOpen() const { return open_; }
  // Changes whenever a connection is opened or closed, so that a statement
  // can tell that the handle it holds went with its connection.
  uint64_t generation() const { return generation_; }

  CliLibrary& library() const { return library_; }
  SQLHENV environment_handle() const { return env_.get(); }
  SQLHDBC connection_handle() const { return dbc_.get(); }
  const Logger& logger() const { return logger_; }

  // The server the database is looked for in (the connection string's
  // SERVER), or empty for the driver's default; set before connecting.
  std::string Server;
  std::string DatabaseName;
  std::string UserName;
  std::string UserPassword;
  std::string PageSizeExpression;
  std::string ServerVersion;  // as the probe read it
  // The server's name as the driver gives it (SQL_SERVER_NAME); empty when
  // the driver does not say.
  std::string ServerName;

 private:
  Status AllocateHandles();
  void ReadServerName();
  Status DriverConnect(const std::string& connection_string, void* owner_window,
                       std::string& completed);
  void Log(std::string_view text) const { logger_.Log("TarvexConnect", text); }

  CliLibrary& library_;
  const Logger& logger_;
  CliHandle env_;
  CliHandle dbc_;
  bool open_ = false;
  uint64_t generation_ = 0;
};

}  // namespace tce

#endif  // TCE_DB_CONNECTION_H_
