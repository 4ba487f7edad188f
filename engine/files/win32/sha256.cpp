#include "sha256.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <stdexcept>

namespace zarneth {

struct Sha256::State {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  ~State() {
    if (hash)
      ::BCryptDestroyHash(hash);
    if (algorithm)
      ::BCryptCloseAlgorithmProvider(algorithm, 0);
  }
};

Sha256::Sha256() : m_state(std::make_unique<State>()) {
  if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&m_state->algorithm, BCRYPT_SHA256_ALGORITHM,
                                                    nullptr, 0)) ||
      !BCRYPT_SUCCESS(
          ::BCryptCreateHash(m_state->algorithm, &m_state->hash, nullptr, 0, nullptr, 0, 0)))
    throw std::runtime_error("CNG has no SHA-256");
}

Sha256::~Sha256() = default;

void Sha256::Add(std::span<const unsigned char> bytes) {
  while (!bytes.empty()) {
    const auto piece = static_cast<ULONG>(std::min<std::size_t>(bytes.size(), 1u << 30));
    ::BCryptHashData(m_state->hash, const_cast<PUCHAR>(bytes.data()), piece, 0);
    bytes = bytes.subspan(piece);
  }
}

std::array<unsigned char, 32> Sha256::Finish() {
  std::array<unsigned char, 32> digest{};
  ::BCryptFinishHash(m_state->hash, digest.data(), static_cast<ULONG>(digest.size()), 0);
  return digest;
}

}  // namespace zarneth
