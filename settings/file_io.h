#pragma once

#include <string>
#include <string_view>

// Whole-file reads and writes for the settings file. Nothing here throws.

enum class EFileRead { kRead, kMissing, kFailed };

// Reads the whole regular file at path into text. kMissing when there is no
// such file, kFailed when it cannot be read or is larger than 1 MiB; text is
// then empty.
EFileRead ReadFileText(const std::string& path, std::string& text);

// Replaces the file at path with contents so that it changes only as a whole:
// the contents go to a new file in the same directory, are flushed to disk and
// then renamed over the old file. A new file gets mode 0600 whatever the
// umask; a rewritten one keeps its mode. A symbolic link at path is followed,
// so the file it names is replaced. On failure the old file is untouched and
// no temporary file is left behind. Returns true on success.
bool ReplaceFileContents(const std::string& path, std::string_view contents);

// Creates dir and every missing directory above it, each with mode 0700.
// Returns true when dir exists as a directory afterwards.
bool MakeDirectories(const std::string& dir);

// The directory part of path: "." when it has none.
std::string ParentDirectory(const std::string& path);
