#pragma once

// Who owns a file or folder, for the rule on following links and the sweep of stale
// temporaries.

#include <windows.h>

#include <optional>
#include <vector>

namespace zarneth {

// The owner's SID of an open file or folder (opened with READ_CONTROL); none when the system
// cannot say.
using Sid = std::vector<unsigned char>;
std::optional<Sid> OwnerOf(HANDLE handle);

// Whether `sid` is the user the process runs as.
bool IsCaller(const Sid& sid);

}  // namespace zarneth
