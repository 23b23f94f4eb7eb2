#pragma once

#include <unistd.h>

#include <utility>

// The owner of a POSIX file descriptor: closes it when it goes unless it was
// released. Movable, not copyable; -1 owns nothing. The settings file's POSIX
// operations (file_io_posix.cpp) hold their files and folders in it, the POSIX
// tests their sockets; the mailer's sockets, on either platform, have their
// own owner, CSocket (mail/socket_io.h).
class CUniqueFd {
 public:
  CUniqueFd() = default;
  explicit CUniqueFd(int fd) : m_fd(fd) {}
  CUniqueFd(CUniqueFd&& other) noexcept : m_fd(other.Release()) {}
  CUniqueFd& operator=(CUniqueFd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  CUniqueFd(const CUniqueFd&) = delete;
  CUniqueFd& operator=(const CUniqueFd&) = delete;
  ~CUniqueFd() { Reset(); }

  int Get() const { return m_fd; }
  bool IsOpen() const { return m_fd >= 0; }

  // Gives the descriptor up without closing it.
  int Release() { return std::exchange(m_fd, -1); }

  // Closes what is owned and owns fd instead.
  void Reset(int fd = -1) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = fd;
  }

  // Closes now; false when close fails, which is how a late write error shows.
  bool Close() {
    const int fd = Release();
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int m_fd = -1;
};
