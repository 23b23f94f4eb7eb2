#pragma once

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace settings_test {

// A fresh directory for one test, removed with everything in it.
class CTempDir : public testing_support::CTempDir {
 public:
  CTempDir() : testing_support::CTempDir("orlavo-settings-") {}
};

using testing_support::CScopedEnv;

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
