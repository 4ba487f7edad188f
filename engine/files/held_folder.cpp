// The parts of HeldFolder that are the same on every platform; each platform's
// file_system.cpp lets go of the handle.
#include "held_folder.h"

#include <utility>

#include "file_paths.h"

namespace zarneth {

HeldFolder::HeldFolder(SystemHandle handle, std::string path)
    : m_handle(handle), m_path(std::move(path)) {}

HeldFolder::~HeldFolder() {
  Release();
}

HeldFolder::HeldFolder(HeldFolder&& other) noexcept
    : m_handle(std::exchange(other.m_handle, kNoHandle)), m_path(std::move(other.m_path)) {}

HeldFolder& HeldFolder::operator=(HeldFolder&& other) noexcept {
  if (this != &other) {
    Release();
    m_handle = std::exchange(other.m_handle, kNoHandle);
    m_path = std::move(other.m_path);
  }
  return *this;
}

std::string HeldFolder::PathOf(const std::string& name) const {
  if (m_path.empty())
    return name;
  return Utf8FromPath(PathFromUtf8(m_path) / PathFromUtf8(name));
}

}  // namespace zarneth
