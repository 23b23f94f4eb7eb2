#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "tests/support/temp_dir.h"

namespace settings_test {

// A fresh directory for one test, removed with everything in it.
class CTempDir : public testing_support::CTempDir {
 public:
  CTempDir() : testing_support::CTempDir("orlavo-settings-") {}
};

// Sets an environment variable (or removes it, for nullopt) and puts back
// what was there before.
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
    if (value) {
      ::setenv(m_name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(m_name.c_str());
    }
  }

  std::string m_name;
  std::optional<std::string> m_old;
};

class CScopedUmask {
 public:
  explicit CScopedUmask(mode_t mask) : m_old(::umask(mask)) {}
  CScopedUmask(const CScopedUmask&) = delete;
  CScopedUmask& operator=(const CScopedUmask&) = delete;
  ~CScopedUmask() { ::umask(m_old); }

 private:
  mode_t m_old;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The permission bits, or -1 when there is no such file.
inline int ModeOf(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return -1;
  return static_cast<int>(info.st_mode & 07777);
}

}  // namespace settings_test
