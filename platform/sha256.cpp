#include "platform/sha256.h"

#include <cstdio>

// What both systems' hashes share; the hashing itself is in sha256_openssl.cpp and
// sha256_bcrypt.cpp.

namespace tessaro::platform {

std::string Sha256::Hex(const std::uint8_t* digest, std::size_t size) {
  std::string hex;
  char pair[3];
  for (std::size_t i = 0; i < size; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    hex += pair;
  }
  return hex;
}

}  // namespace tessaro::platform
