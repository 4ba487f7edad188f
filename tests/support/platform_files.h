#pragma once

// What a test folder can hold on this platform and the words the system uses for it, so
// that one set of tests runs on POSIX and on Windows.

#include <string>

namespace zarneth::test {

// Makes a FIFO; false where the platform has none (Windows).
bool MakeFifo(const std::string& path);
// Makes a symbolic link; false where links are not tested (Windows).
bool MakeSymlink(const std::string& target, const std::string& link);
// Takes every write bit away (POSIX) or sets the read-only attribute (Windows).
void MakeReadOnly(const std::string& path);

// A device that opens like a file: /dev/null, NUL.
extern const char* const kDevicePath;

// The system's texts for a missing file, a missing folder on the way and a name that exists.
std::string MissingFileText();
std::string MissingFolderText();
std::string FileExistsText();

}  // namespace zarneth::test
