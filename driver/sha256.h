// SHA-256, for the salted password hashes of a catalog's users.
#ifndef TVCLI_SHA256_H_
#define TVCLI_SHA256_H_

#include <string>
#include <string_view>

namespace tvcli {

// The digest of the bytes as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

// The stored form of a password: Sha256Hex(salt + password).
inline std::string PasswordHash(std::string_view salt,
                                std::string_view password) {
  return Sha256Hex(std::string(salt) + std::string(password));
}

}  // namespace tvcli

#endif  // TVCLI_SHA256_H_
