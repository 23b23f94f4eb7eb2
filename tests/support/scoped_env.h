#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace testing_support {

// Sets an environment variable (or removes it, for nullopt) and puts back
// what was there before. On Windows an empty value removes the variable.
class CScopedEnv {
 public:
  CScopedEnv(const char* name, std::optional<std::string> value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    Set(value);
  }
  CScopedEnv(const CScopedEnv&) = delete;
  CScopedEnv& operator=(const CScopedEnv&) = delete;
  ~CScopedEnv() { Set(m_old); }

 private:
  void Set(const std::optional<std::string>& value) {
#ifdef _WIN32
    // Also sets the process environment, which libcurl reads.
    ::_putenv_s(m_name.c_str(), value ? value->c_str() : "");
#else
    if (value) {
      ::setenv(m_name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(m_name.c_str());
    }
#endif
  }

  std::string m_name;
  std::optional<std::string> m_old;
};

}  // namespace testing_support
