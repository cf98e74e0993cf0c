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
  Sha256(Sha256&& other) noexcept;
  Sha256& operator=(Sha256&& other) noexcept;

  void Update(const std::uint8_t* data, std::size_t count);
  // Lower-case hex of the digest of everything given so far; more may follow.
  std::string HexDigest() const;

 private:
  static std::string Hex(const std::uint8_t* digest, std::size_t size);
  struct State;
  std::unique_ptr<State> m_state;
};

}  // namespace tessaro::platform
