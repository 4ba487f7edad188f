#pragma once

#include <string>

namespace zarneth {

// Whether a path's last name is one of the system's device names (CON, PRN, AUX, NUL,
// COM1 to COM9, LPT1 to LPT9), with or without an extension, which lead to a device in every
// folder.
bool IsDeviceName(const std::string& path);

}  // namespace zarneth
