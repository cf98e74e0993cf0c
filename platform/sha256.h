#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tessaro::platform {

// SHA-256 through the system's own library: OpenSSL's libcrypto on Linux (sha256_openssl.cpp),
// CNG on Windows (sha256_bcrypt.cpp).
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Update(const std::uint8_t* data, std::size_t count);
  // Lower-case hex of the digest of everything given so far; ends this hash.
  std::string HexDigest();

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

}  // namespace tessaro::platform
