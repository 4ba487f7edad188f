#include "system_copy.h"

namespace zarneth {

// Windows copies only whole files by itself (CopyFileExW), never a range between two open
// files: every copy goes through the buffer.
std::optional<std::uint64_t> CopyInSystem(CFile&, std::uint64_t, CFile&, std::uint64_t,
                                          std::size_t) {
  return std::nullopt;
}

// Block cloning (FSCTL_DUPLICATE_EXTENTS_TO_FILE) is ReFS's alone; every copy goes through
// the system's copy or the buffer.
bool CloneInSystem(CFile&, CFile&) {
  return false;
}

}  // namespace zarneth
