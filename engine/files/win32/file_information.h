#pragma once

// What the Win32 file layer asks of an open file, the system answering directly (not
// through the call seam: these only read what a file is).

#include <windows.h>

#include <optional>

#include "c_file.h"

namespace zarneth {

// Which file an open handle is: its volume's serial number and its file index. None when the
// system cannot say.
std::optional<FileIdentity> IdentityOfHandle(HANDLE handle);

// Whether a file's attributes and reparse tag make it a link (a junction, a symbolic link:
// a name surrogate, which names another file). Other reparse points (a cloud file's
// placeholder, a compressed or deduplicated file) are the files they stand for.
inline bool IsNameSurrogate(const FILE_ATTRIBUTE_TAG_INFO& info) {
  return (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         IsReparseTagNameSurrogate(info.ReparseTag);
}

// The system's record of an open file; throws CFileException for it.
BY_HANDLE_FILE_INFORMATION Information(const CFile& file);
// The attributes that a file written in `file`'s place takes over: hidden, system, archive,
// not content-indexed (or "normal" when it has none of them).
DWORD KeptAttributes(const CFile& file);

}  // namespace zarneth
