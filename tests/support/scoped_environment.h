#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace zarneth::test {

// Sets an environment variable for the life of the object (and the programs started
// meanwhile), then puts back what it was.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::string name, const std::string& value) : m_name(std::move(name)) {
    if (const char* old = std::getenv(m_name.c_str()))
      m_old = old;
    Set(value);
  }
  ~ScopedEnvironment() { Set(m_old.value_or("")); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  void Set(const std::string& value) {
#ifdef _WIN32
    ::_putenv_s(m_name.c_str(), value.c_str());
#else
    if (value.empty() && !m_old)
      ::unsetenv(m_name.c_str());
    else
      ::setenv(m_name.c_str(), value.c_str(), 1);
#endif
  }

  std::string m_name;
  std::optional<std::string> m_old;
};

}  // namespace zarneth::test
