#pragma once

#include "file_refusal.h"

namespace zarneth {

// Whether the inode flags of the file or folder open as `fd` let it be replaced or renamed
// over: refused where it is immutable (chattr +i) or append-only (chattr +a), said of the
// folder where `folder`; never where the file system keeps no flags.
FileStatus InodeFlagsAllowChange(int fd, bool folder);

}  // namespace zarneth
