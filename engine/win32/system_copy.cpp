#include "system_copy.h"

namespace zarneth {

// Windows copies only whole files by itself (CopyFileExW), never a range between two open
// files: every copy goes through the buffer.
std::optional<std::uint64_t> CopyInSystem(CFile&, std::uint64_t, CFile&, std::uint64_t,
                                          std::size_t) {
  return std::nullopt;
}

}  // namespace zarneth
