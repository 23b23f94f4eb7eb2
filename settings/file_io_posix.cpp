#include "settings/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <memory>

#include "settings/unique_fd.h"

namespace {

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

// The file a symbolic link at path names, followed link by link, so that the
// link survives the rename, also when it names no file yet; path itself when
// it is no link. Empty when the links go round in a circle.
std::string ResolvedTarget(const std::string& path) {
  std::string target = path;
  // As many links as the system follows in one path name.
  for (int links = 0; links < 40; ++links) {
    char szLink[PATH_MAX];
    const ssize_t n = ::readlink(target.c_str(), szLink, sizeof szLink);
    if (n < 0) return target;
    if (static_cast<std::size_t>(n) == sizeof szLink) return {};
    const std::string link(szLink, static_cast<std::size_t>(n));
    target = link.starts_with('/') ? link : ParentDirectory(target).append("/").append(link);
  }
  return {};
}

struct DirClose {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// Removes what earlier replacements of target left behind when they were
// killed before their rename: full copies of the settings, password included.
// Only this user's regular files of the temporary pattern go.
void RemoveLeftovers(const std::string& target) {
  const std::unique_ptr<DIR, DirClose> dir(::opendir(ParentDirectory(target).c_str()));
  if (!dir) return;
  const std::size_t slash = target.rfind('/');
  const std::string fileName = slash == std::string::npos ? target : target.substr(slash + 1);
  while (const dirent* entry = ::readdir(dir.get())) {
    if (!IsTempFileName(entry->d_name, fileName)) continue;
    struct stat info = {};
    if (::fstatat(::dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(info.st_mode) && info.st_uid == ::geteuid()) {
      ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
    }
  }
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
  // Without O_NONBLOCK opening a FIFO would wait for a writer, for ever.
  const CUniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!file.IsOpen()) return errno == ENOENT ? EFileRead::kMissing : EFileRead::kFailed;
  struct stat info = {};
  if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::size_t>(info.st_size) > kMaxFileSize) {
    return EFileRead::kFailed;
  }
  text.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[16384];
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
  // A file the reader would refuse is never written: the old one stays.
  if (contents.size() > kMaxFileSize) return false;
  const std::string target = ResolvedTarget(path);
  if (target.empty()) return false;
  mode_t mode = 0600;
  struct stat info = {};
  if (::stat(target.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) return false;
    mode = info.st_mode & 07777;
  } else if (errno != ENOENT) {
    return false;
  }
  RemoveLeftovers(target);

  std::string tempPath = target + std::string(kTempInfix) + std::string(kTempSuffixLength, 'X');
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
  struct stat info = {};
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

const std::string_view kNewFileLineEnd = "\n";

std::string UserSettingsPath(const char* fileName) {
  // A relative XDG_CONFIG_HOME is not valid and counts as unset.
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  if (configHome != nullptr && configHome[0] == '/') {
    return std::string(configHome) + "/" + fileName;
  }
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') {
    return std::string(home) + "/.config/" + fileName;
  }
  return {};
}
