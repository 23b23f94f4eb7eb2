#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// An INI file held in memory, read and edited the way the settings need it.
//
// Reading:
// - Lines end in LF or CR LF; a UTF-8 byte order mark at a line's start is
//   skipped.
// - "[NAME]" starts a section (blanks around the name are dropped). A line
//   "KEY=value" inside a section is a key; lines starting with ';' or '#' are
//   comments; anything else, and whatever stands before the first section, is
//   never read.
// - Section and key names match regardless of ASCII letter case. When a
//   section or a key appears twice, the first one counts.
// - Blanks (spaces and tabs) around a value are dropped, then one pair of
//   double quotes standing around the whole value. "KEY=" is an empty value,
//   which is not the same as a missing key.
// - An integer value reads as an optional sign and the decimal digits that
//   follow it, up to the first other character, held to the 32-bit range; a
//   value with no digits reads as 0; a missing key reads as the default.
//
// Writing changes only the line of the key written: an existing key's line is
// replaced, a missing key is added after the last key of its section and a
// missing section is added at the end. Every other line keeps its bytes, line
// end included; lines written here end in LF. Values that reading would change
// (blanks at either end, quotes around the whole) are written in quotes, and a
// value ends at its first line break.
class CProfile {
 public:
  CProfile() = default;
  explicit CProfile(std::string_view text);

  // The value of key in section, unquoted; nullopt when either is absent.
  // Valid until the next write.
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

  // Copies the value, or defaultText when there is none, into buffer, cut to
  // size-1 bytes without splitting a UTF-8 character, and terminates it.
  // Returns the number of bytes copied. Does nothing when size is 0.
  std::size_t ReadText(std::string_view section, std::string_view key, std::string_view defaultText,
                       char* buffer, std::size_t size) const;

  int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;

  // Sets key in section to value, adding the key or the section when absent.
  void WriteText(std::string_view section, std::string_view key, std::string_view value);

  // The whole file as it now stands.
  std::string Text() const;

 private:
  // [header line, next section's header line or end) of the first section
  // named section.
  std::optional<std::pair<std::size_t, std::size_t>> SectionLines(std::string_view section) const;
  // The first line in [begin, end) holding key.
  std::optional<std::size_t> KeyLine(std::size_t begin, std::size_t end,
                                     std::string_view key) const;

  // Each line with its line end (the last one may have none); a run of lines
  // that are never read is kept as one entry.
  std::vector<std::string> m_lines;
};

struct ProfileWrite {
  std::string section;
  std::string key;
  std::string value;
};

// The file at path as a profile; an empty one when it is missing or cannot be
// read.
CProfile LoadProfile(const std::string& path);

// Applies the writes to the file in order, with the result of writing each
// key on its own, and replaces the file once (see ReplaceFileContents). The
// file is created when missing; when it exists but cannot be read it is left
// alone. Returns true when the new file is in place.
bool WriteProfile(const std::string& path, std::span<const ProfileWrite> writes);
