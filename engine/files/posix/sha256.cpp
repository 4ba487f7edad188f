#include "sha256.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace zarneth {

struct Sha256::State {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() : m_state(std::make_unique<State>()) {
  if (!m_state->context || EVP_DigestInit_ex(m_state->context, EVP_sha256(), nullptr) != 1)
    throw std::runtime_error("libcrypto has no SHA-256");
}

Sha256::~Sha256() = default;

void Sha256::Add(std::span<const unsigned char> bytes) {
  if (!bytes.empty())
    EVP_DigestUpdate(m_state->context, bytes.data(), bytes.size());
}

std::array<unsigned char, 32> Sha256::Finish() {
  std::array<unsigned char, 32> digest{};
  unsigned int length = 0;
  EVP_DigestFinal_ex(m_state->context, digest.data(), &length);
  return digest;
}

}  // namespace zarneth
