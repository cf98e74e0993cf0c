#include <openssl/evp.h>

#include <stdexcept>

#include "platform/sha256.h"

namespace tessaro::platform {

struct Sha256::State {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() : m_state(std::make_unique<State>()) {
  if (!m_state->context || EVP_DigestInit_ex(m_state->context, EVP_sha256(), nullptr) != 1)
    throw std::runtime_error("SHA-256 is not available");
}

Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&& other) noexcept = default;
Sha256& Sha256::operator=(Sha256&& other) noexcept = default;

void Sha256::Update(const std::uint8_t* data, std::size_t count) {
  EVP_DigestUpdate(m_state->context, data, count);
}

std::string Sha256::HexDigest() const {
  // Finished on a copy, so the hash can go on.
  State copy;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (!copy.context || EVP_MD_CTX_copy_ex(copy.context, m_state->context) != 1 ||
      EVP_DigestFinal_ex(copy.context, digest, &size) != 1)
    return {};
  return Hex(digest, size);
}

}  // namespace tessaro::platform
