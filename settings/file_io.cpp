#include "settings/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "monitor/unique_fd.h"

namespace {

// Anything bigger is not a settings file; reading stops there.
constexpr std::size_t kMaxFileSize = std::size_t{1} << 20;

// Removes the temporary file unless it has been renamed into place.
class CTempFileName {
 public:
  explicit CTempFileName(std::string path) : m_path(std::move(path)) {}
  CTempFileName(const CTempFileName&) = delete;
  CTempFileName& operator=(const CTempFileName&) = delete;
  ~CTempFileName() {
    if (!m_bRenamed) ::unlink(m_path.c_str());
  }

  bool RenameTo(const std::string& target) {
    m_bRenamed = ::rename(m_path.c_str(), target.c_str()) == 0;
    return m_bRenamed;
  }

 private:
  std::string m_path;
  bool m_bRenamed = false;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The file a symbolic link at path names, so that the link survives the
// rename; path itself when it is no link or names nothing yet.
std::string ResolvedTarget(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                         &std::free);
  return real ? std::string(real.get()) : path;
}

// Makes the rename itself durable. Best effort: the new file is in place
// already.
void SyncDirectory(const std::string& dir) {
  const CUniqueFd directory(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.IsOpen()) ::fsync(directory.Get());
}

}  // namespace

EFileRead ReadFileText(const std::string& path, std::string& text) {
  text.clear();
  const CUniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.IsOpen()) return errno == ENOENT ? EFileRead::kMissing : EFileRead::kFailed;
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return EFileRead::kFailed;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(file.Get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || text.size() + static_cast<std::size_t>(n) > kMaxFileSize) {
      text.clear();
      return EFileRead::kFailed;
    }
    if (n == 0) return EFileRead::kRead;
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

bool ReplaceFileContents(const std::string& path, std::string_view contents) {
  const std::string target = ResolvedTarget(path);
  mode_t mode = 0600;
  struct stat info {};
  if (::stat(target.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) return false;
    mode = info.st_mode & 07777;
  } else if (errno != ENOENT) {
    return false;
  }

  std::string tempPath = target + ".XXXXXX";
  CUniqueFd file(::mkostemp(tempPath.data(), O_CLOEXEC));
  if (!file.IsOpen()) return false;
  CTempFileName temp(tempPath);
  // Set explicitly: the umask must not widen or narrow the mode.
  if (::fchmod(file.Get(), mode) != 0) return false;
  if (!WriteAll(file.Get(), contents)) return false;
  if (::fsync(file.Get()) != 0) return false;
  if (!file.Close()) return false;
  if (!temp.RenameTo(target)) return false;
  SyncDirectory(ParentDirectory(target));
  return true;
}

bool MakeDirectories(const std::string& dir) {
  if (dir.empty()) return false;
  struct stat info {};
  if (::stat(dir.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  std::size_t end = 0;
  while (end != std::string::npos) {
    end = dir.find('/', end + 1);
    const std::string part = dir.substr(0, end);
    if (::mkdir(part.c_str(), 0700) == 0) {
      // The umask may have taken bits the owner needs.
      ::chmod(part.c_str(), 0700);
    } else if (errno != EEXIST) {
      return false;
    }
  }
  return ::stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ParentDirectory(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}
