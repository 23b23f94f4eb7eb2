// The settings file's whole-file reads and writes on Windows: the same
// promises as on POSIX systems, kept with the Win32 calls.
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <random>

#include "settings/file_io.h"

namespace {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.pop_back();
  return out;
}

struct HandleClose {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using CHandle = std::unique_ptr<void, HandleClose>;

CHandle OwnHandle(HANDLE handle) {
  return CHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// Removes the temporary file unless it has been moved into place.
class CTempFileName {
 public:
  explicit CTempFileName(std::wstring path) : m_path(std::move(path)) {}
  CTempFileName(const CTempFileName&) = delete;
  CTempFileName& operator=(const CTempFileName&) = delete;
  ~CTempFileName() {
    if (!m_bMoved) DeleteFileW(m_path.c_str());
  }

  // Replaces target in one step; the move is on disk when this returns.
  bool MoveTo(const std::wstring& target) {
    m_bMoved = MoveFileExW(m_path.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    return m_bMoved;
  }

 private:
  std::wstring m_path;
  bool m_bMoved = false;
};

// A new file beside target with a name nobody else uses. It takes the access
// list of its folder: for the settings file %APPDATA%, the user's own.
CHandle CreateTempBeside(const std::wstring& target, std::wstring& path) {
  static constexpr wchar_t kLetters[] =
      L"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::random_device seed;
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kLetters) - 2);
  const std::wstring prefix = target + std::wstring(kTempInfix.begin(), kTempInfix.end());
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = prefix;
    for (std::size_t i = 0; i < kTempSuffixLength; ++i) path += kLetters[pick(seed)];
    CHandle file = OwnHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return nullptr;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Removes what earlier replacements of target left behind when they were
// killed before their move: full copies of the settings, password included.
// Only regular files of the temporary pattern go; the folder is the user's.
void RemoveLeftovers(const std::string& target) {
  std::size_t name = target.size();
  while (name > 0 && !IsSeparator(target[name - 1])) --name;
  const std::string fileName = target.substr(name);
  const std::wstring folder = Wide(target.substr(0, name));
  WIN32_FIND_DATAW found{};
  const HANDLE search =
      FindFirstFileW((folder + Wide(fileName + std::string(kTempInfix)) + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const DWORD kNotRegular =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    if ((found.dwFileAttributes & kNotRegular) == 0 &&
        IsTempFileName(Utf8(found.cFileName), fileName)) {
      DeleteFileW((folder + found.cFileName).c_str());
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace

EFileRead ReadFileText(const std::string& path, std::string& text) {
  text.clear();
  const CHandle file = OwnHandle(CreateFileW(
      Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? EFileRead::kMissing
                                                                          : EFileRead::kFailed;
  }
  // Pipes and devices are no settings file, and are never waited on.
  LARGE_INTEGER size{};
  if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.get(), &size) ||
      static_cast<unsigned long long>(size.QuadPart) > kMaxFileSize) {
    return EFileRead::kFailed;
  }
  text.reserve(static_cast<std::size_t>(size.QuadPart));
  char buffer[16384];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr) ||
        text.size() + n > kMaxFileSize) {
      text.clear();
      return EFileRead::kFailed;
    }
    if (n == 0) return EFileRead::kRead;
    text.append(buffer, n);
  }
}

bool ReplaceFileContents(const std::string& path, std::string_view contents) {
  // A file the reader would refuse is never written: the old one stays.
  if (contents.size() > kMaxFileSize) return false;
  const std::wstring target = Wide(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return false;
  }
  RemoveLeftovers(path);
  std::wstring tempPath;
  CHandle file = CreateTempBeside(target, tempPath);
  if (!file) return false;
  CTempFileName temp(tempPath);
  while (!contents.empty()) {
    DWORD n = 0;
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size(), 1 << 16));
    if (!WriteFile(file.get(), contents.data(), chunk, &n, nullptr) || n == 0) return false;
    contents.remove_prefix(n);
  }
  if (!FlushFileBuffers(file.get())) return false;
  // Closed now, so that a failing close is seen and the move can go ahead.
  if (!CloseHandle(file.release())) return false;
  return temp.MoveTo(target);
}

bool MakeDirectories(const std::string& dir) {
  if (dir.empty()) return false;
  std::size_t end = 0;
  while (end != std::string::npos) {
    end = dir.find_first_of("\\/", end + 1);
    const std::wstring part = Wide(dir.substr(0, end));
    // "C:" and a trailing separator name nothing to create.
    if (part.size() <= 2 && part.back() == L':') continue;
    if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
  }
  const DWORD attributes = GetFileAttributesW(Wide(dir).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ParentDirectory(const std::string& path) {
  std::size_t separator = path.size();
  while (separator > 0 && !IsSeparator(path[separator - 1])) --separator;
  if (separator == 0) return ".";
  // The root of a drive keeps its separator.
  if (separator == 1 || (separator == 3 && path[1] == ':')) return path.substr(0, separator);
  return path.substr(0, separator - 1);
}

const std::string_view kNewFileLineEnd = "\r\n";

std::string UserSettingsPath(const char* fileName) {
  wchar_t appData[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return Utf8(appData) + "\\Orlavo\\" + fileName;
}
