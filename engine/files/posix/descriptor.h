#pragma once

#include <unistd.h>

#include <string>
#include <utility>

namespace zarneth {

// A descriptor the file layer opened, closed on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : m_fd(fd) {}
  ~Descriptor() {
    if (m_fd >= 0)
      ::close(m_fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return m_fd; }
  int Release() { return std::exchange(m_fd, -1); }
  void Reset(int fd) {
    if (m_fd >= 0)
      ::close(m_fd);
    m_fd = fd;
  }

 private:
  int m_fd;
};

// The process's own open files by number, "/proc/self/fd": the one way to open again, or
// give a name to, the very file a descriptor holds.
inline constexpr const char* kOwnDescriptors = "/proc/self/fd";
// "/proc/self/fd/7"
inline std::string OwnDescriptorPath(int fd) {
  return std::string(kOwnDescriptors) + "/" + std::to_string(fd);
}

}  // namespace zarneth
