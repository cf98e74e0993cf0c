#include <openssl/evp.h>

#include <cstdio>
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

void Sha256::Update(const std::uint8_t* data, std::size_t count) {
  EVP_DigestUpdate(m_state->context, data, count);
}

std::string Sha256::HexDigest() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_DigestFinal_ex(m_state->context, digest, &size);
  std::string hex;
  char pair[3];
  for (unsigned int i = 0; i < size; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    hex += pair;
  }
  return hex;
}

}  // namespace tessaro::platform
