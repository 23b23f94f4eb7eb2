#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Whole-file reads and writes for the settings file, and where it lives:
// file_io_posix.cpp on POSIX systems, file_io_win32.cpp on Windows. Paths are
// UTF-8. Nothing here throws.

enum class EFileRead { kRead, kMissing, kFailed };

// The largest file read or written: far above any real settings file, a cap
// only against a runaway one.
inline constexpr std::size_t kMaxFileSize = std::size_t{32} << 20;

// Reads the whole regular file at path into text. kMissing when there is no
// such file, kFailed when it cannot be read, is no regular file (a FIFO is
// never waited on) or is larger than kMaxFileSize; text is then empty.
EFileRead ReadFileText(const std::string& path, std::string& text);

// Replaces the file at path with contents so that it changes only as a whole:
// the contents go to a new file in the same directory, are flushed to disk and
// then renamed over the old file. A new file gets mode 0600 whatever the
// umask; a rewritten one keeps its mode. A symbolic link at path is followed,
// so the file it names is replaced or, when it names nothing yet, created.
// On Windows the file takes the access list of its folder, and a link is
// replaced rather than followed. Contents larger than kMaxFileSize are not
// written. On failure the old file is untouched and no temporary file is left
// behind; temporary files that earlier replacements of the same file left
// behind (when killed half way) are removed. Returns true on success.
bool ReplaceFileContents(const std::string& path, std::string_view contents);

// Creates dir and every missing directory above it, each with mode 0700.
// Returns true when dir exists as a directory afterwards.
bool MakeDirectories(const std::string& dir);

// The directory part of path: "." when it has none.
std::string ParentDirectory(const std::string& path);

// Where the user's settings file named fileName lives: in $XDG_CONFIG_HOME,
// else in ~/.config; on Windows in %APPDATA%\Orlavo. Empty when neither can
// be told.
std::string UserSettingsPath(const char* fileName);

// The line end of a file that has none yet: the platform's own, as its
// editors write it.
extern const std::string_view kNewFileLineEnd;

// Temporary files of a replacement are named after the file they replace,
// with this between the name and six letters or digits: distinct enough that
// removing leftovers never touches a file of the user's such as
// "Orlavo.INI.backup".
inline constexpr std::string_view kTempInfix = ".saving-";
inline constexpr std::size_t kTempSuffixLength = 6;

// Whether name is such a temporary file of the file named fileName.
bool IsTempFileName(std::string_view name, std::string_view fileName);
