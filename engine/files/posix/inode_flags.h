#pragma once

#include <string>

namespace zarneth {

// Why the inode flags of the file or folder open as `fd` forbid replacing it or renaming
// over it: immutable (chattr +i) or append-only (chattr +a), said of `what` ("the file",
// "its folder"); empty when neither is set, and where the file system keeps no flags.
std::string WhyInodeFlagsForbid(int fd, const char* what);

}  // namespace zarneth
