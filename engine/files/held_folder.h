#pragma once

#include <cstdint>
#include <string>

namespace zarneth {

// The system's handle of an open file or folder: a descriptor (POSIX) or a HANDLE (Windows),
// and the value that means none.
using SystemHandle = std::intptr_t;
inline constexpr SystemHandle kNoHandle = -1;

// A folder a run works in, resolved once and held from then on: every later call on a name
// in it (open, create, link, rename, remove, the sweep, the sync) goes through the held
// folder, so a folder swapped for a link mid-run cannot move a write elsewhere. POSIX: an
// O_PATH descriptor. Windows: a handle that shares no deletion, so the folder cannot be
// renamed away while the run holds it, and every call relative to that handle
// (NtCreateFile with it as RootDirectory, rename, link and removal by handle).
class HeldFolder {
 public:
  HeldFolder() = default;
  ~HeldFolder();
  HeldFolder(HeldFolder&& other) noexcept;
  HeldFolder& operator=(HeldFolder&& other) noexcept;
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;

  // Takes `handle` (a descriptor or a HANDLE) of the folder `path` names, which messages use.
  HeldFolder(SystemHandle handle, std::string path);

  bool IsHeld() const { return m_handle != kNoHandle; }
  SystemHandle Handle() const { return m_handle; }
  // The folder's path as the run resolved it ("" for the working folder, as a bare name has
  // none).
  const std::string& Path() const { return m_path; }
  // The path of `name` in the folder, for messages: "out.bin", "/tmp/out.bin".
  std::string PathOf(const std::string& name) const;

 private:
  void Release() noexcept;

  SystemHandle m_handle = kNoHandle;
  std::string m_path;
};

// Where a path led: the folder it ends in, held, and the last name in it, which is no
// symbolic link (or none at all); `path` says it in messages.
struct HeldEntry {
  HeldFolder folder;
  std::string name;
  std::string path;
};

}  // namespace zarneth
