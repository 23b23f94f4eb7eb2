// Windows' own profile functions, under Wine.
#include "tests/settings/windows_profile.h"

#include <windows.h>

#include "tests/settings/settings_test_support.h"

namespace settings_test {

const bool kWindowsReadsToo = true;

// What Windows' own profile functions read from the file at path, the
// independent reading the program is held against: from a file with a byte
// order mark through the Unicode function, as UTF-8 like the program's text;
// from an 8-bit file through the 8-bit function, byte for byte. The functions
// keep the files they have read and may miss a rewrite within the same clock
// tick, so every file read here is read by them only once.
std::optional<std::string> WindowsReads(const std::string& path, const std::string& section,
                                        const std::string& key) {
  const std::string head = ReadFile(path).substr(0, 2);
  if (head == "\xFF\xFE" || head == "\xFE\xFF" || head == "\xEF\xBB") {
    const auto wide = [](const std::string& text) {
      std::wstring out(text.size(), L'\0');
      out.resize(static_cast<std::size_t>(
          MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                              static_cast<int>(out.size()))));
      return out;
    };
    wchar_t value[1024];
    const DWORD length = GetPrivateProfileStringW(wide(section).c_str(), wide(key).c_str(), L"\1",
                                                  value, 1024, wide(path).c_str());
    if (length == 1 && value[0] == L'\1') return std::nullopt;
    std::string utf8(4 * length, '\0');
    utf8.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, value, static_cast<int>(length), utf8.data(),
                            static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
  }
  char value[1024];
  const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), "\1", value,
                                                sizeof value, path.c_str());
  if (length == 1 && value[0] == '\1') return std::nullopt;
  return std::string(value, length);
}

// The same for bytes, from a file of their own.
std::optional<std::string> WindowsReadsBytes(const std::string& bytes, const char* section,
                                             const char* key) {
  const CTempDir dir;
  const std::string path = dir.File("Windows.INI");
  WriteFile(path, bytes);
  return WindowsReads(path, section, key);
}

int WindowsReadsInt(const std::string& bytes, const char* section, const char* key,
                    int defaultValue) {
  const CTempDir dir;
  const std::string path = dir.File("Windows.INI");
  WriteFile(path, bytes);
  return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, path.c_str()));
}

}  // namespace settings_test
