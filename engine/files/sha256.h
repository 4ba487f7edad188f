#pragma once

// SHA-256 by the system's crypto library: libcrypto (OpenSSL) on Linux, CNG on Windows.

#include <array>
#include <cstdint>
#include <memory>
#include <span>

namespace zarneth {

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Add(std::span<const unsigned char> bytes);
  // The digest of everything added; the object is spent.
  std::array<unsigned char, 32> Finish();

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

}  // namespace zarneth
