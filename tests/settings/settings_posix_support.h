#pragma once

#include <sys/stat.h>

#include <string>

namespace settings_test {

class CScopedUmask {
 public:
  explicit CScopedUmask(mode_t mask) : m_old(::umask(mask)) {}
  CScopedUmask(const CScopedUmask&) = delete;
  CScopedUmask& operator=(const CScopedUmask&) = delete;
  ~CScopedUmask() { ::umask(m_old); }

 private:
  mode_t m_old;
};

// The permission bits, or -1 when there is no such file.
inline int ModeOf(const std::string& path) {
  struct stat info = {};
  if (::lstat(path.c_str(), &info) != 0) return -1;
  return static_cast<int>(info.st_mode & 07777);
}

}  // namespace settings_test
