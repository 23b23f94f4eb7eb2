#pragma once

#include <optional>
#include <string>

// The Windows profile functions the settings file must read like, as the
// independent reading the program's own is held against. They exist only in
// the Windows build (under Wine, whose implementation is Windows'
// independent of ours); elsewhere kWindowsReadsToo is false and the readers
// must not be called.
namespace settings_test {

extern const bool kWindowsReadsToo;

// What they read for the key from the file at path: nothing for a missing
// key. A file with a byte order mark goes through the Unicode function and
// comes back as UTF-8, the program's text; an 8-bit file through the 8-bit
// function, byte for byte.
std::optional<std::string> WindowsReads(const std::string& path, const std::string& section,
                                        const std::string& key);
// The same for bytes, from a file of their own.
std::optional<std::string> WindowsReadsBytes(const std::string& bytes, const char* section,
                                             const char* key);
int WindowsReadsInt(const std::string& bytes, const char* section, const char* key,
                    int defaultValue);

}  // namespace settings_test
