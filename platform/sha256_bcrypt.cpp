#include <windows.h>
// After windows.h, which declares what it uses.

#include <bcrypt.h>

#include <stdexcept>

#include "platform/sha256.h"

namespace tessaro::platform {

struct Sha256::State {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  ~State() {
    if (hash) ::BCryptDestroyHash(hash);
    if (algorithm) ::BCryptCloseAlgorithmProvider(algorithm, 0);
  }
};

Sha256::Sha256() : m_state(std::make_unique<State>()) {
  if (::BCryptOpenAlgorithmProvider(&m_state->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) !=
          0 ||
      ::BCryptCreateHash(m_state->algorithm, &m_state->hash, nullptr, 0, nullptr, 0, 0) != 0)
    throw std::runtime_error("SHA-256 is not available");
}

Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&& other) noexcept = default;
Sha256& Sha256::operator=(Sha256&& other) noexcept = default;

void Sha256::Update(const std::uint8_t* data, std::size_t count) {
  constexpr std::size_t kLargest = ULONG{1} << 30;  // the length is a ULONG
  while (count > 0) {
    const std::size_t piece = count < kLargest ? count : kLargest;
    ::BCryptHashData(m_state->hash, const_cast<PUCHAR>(data), static_cast<ULONG>(piece), 0);
    data += piece;
    count -= piece;
  }
}

std::string Sha256::HexDigest() const {
  // Finished on a duplicate, so the hash can go on.
  BCRYPT_HASH_HANDLE copy = nullptr;
  UCHAR digest[32];
  const bool done = ::BCryptDuplicateHash(m_state->hash, &copy, nullptr, 0, 0) == 0 &&
                    ::BCryptFinishHash(copy, digest, sizeof digest, 0) == 0;
  if (copy) ::BCryptDestroyHash(copy);
  return done ? Hex(digest, sizeof digest) : std::string();
}

}  // namespace tessaro::platform
