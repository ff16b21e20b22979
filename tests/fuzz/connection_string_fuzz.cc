// The connection-string reader and the masking of passwords: any text, and
// strings made of any database, user id and password.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/connection_string.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  tce::ParseConnectionString(text);
  tce::ReadConnectionValue(text, "PWD");
  const std::string masked = tce::MaskPassword(text);
  // Masking twice changes nothing more.
  if (tce::MaskPassword(masked) != masked) std::abort();

  // The input split in three: database, user id, password.
  const size_t a = text.find('\x01');
  const size_t b = a == std::string::npos ? a : text.find('\x01', a + 1);
  if (b == std::string::npos) return 0;
  const std::string database = text.substr(0, a);
  const std::string user = text.substr(a + 1, b - a - 1);
  const std::string password = text.substr(b + 1);
  const std::string rest = tce::ConnectionStringPair("DATABASE", database) +
                           tce::ConnectionStringPair("UID", user);
  const std::string sent = rest + tce::ConnectionStringPair("PWD", password);
  // What is sent reads back as it was.
  if (tce::ReadConnectionValue(sent, "PWD") != password) std::abort();
  if (tce::ReadConnectionValue(sent, "UID") != user) std::abort();
  const std::string hidden = tce::MaskPassword(sent);
  // The masked text does not depend on the password, and does not hold it
  // unless the other fields do.
  if (hidden != tce::MaskPassword(rest + tce::ConnectionStringPair("PWD", "x")))
    std::abort();
  // (A password such as "=***" or ";PWD" is found in the text around it.)
  if (password.size() >= 4 &&
      (rest + "PWD=********;").find(password) == std::string::npos &&
      hidden.find(password) != std::string::npos) {
    std::abort();
  }
  return 0;
}
