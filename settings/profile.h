#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/file_io.h"

// An INI file held in memory, read and edited the way the settings need it,
// with the results of the Windows profile functions wherever the settings
// rely on them.
//
// Reading:
// - A file that starts with a UTF-16 byte order mark (little or big endian,
//   as Notepad saves "Unicode" files) is UTF-16; any other file is 8-bit text,
//   taken as UTF-8, and a UTF-8 byte order mark at a line's start is skipped.
//   Values are UTF-8 either way, the program's own text.
// - Lines end in CR LF, LF or a lone CR, in any mix.
// - "[NAME]" starts a section (blanks around the name are dropped). Inside a
//   section, lines starting with ';' or '#' are comments and any other line
//   that is not blank and is no header names a key: "KEY=value", or "KEY"
//   alone, which is the key without a value. Whatever stands before the first section is never
//   read.
// - Section and key names match regardless of ASCII letter case. When a
//   section or a key appears twice, the first one counts, so a line "KEY"
//   hides a later "KEY=value", and a key without a value reads as missing.
// - Blanks (spaces and tabs) around a value are dropped, then one pair of
//   double quotes standing around the whole value. "KEY=" is an empty value,
//   which is not the same as a missing key.
// - An integer value reads as an optional sign and the decimal digits that
//   follow it, up to the first other character, held to the 32-bit range; a
//   value with no digits reads as 0; a missing key reads as the default.
//
// Writing changes only the line of the key written: an existing key's line is
// replaced (a line "KEY" alone too), a missing key is added after the last key
// of its section and a missing section is added at the end. Every other line
// keeps its text. The whole file is saved in its own encoding and with one
// line end, the one its first line ends with; a file without any gets
// kNewFileLineEnd. A value ends at its first line break, and is written in
// double quotes when reading it unquoted could change it, here or on Windows
// (see NeedsQuotes in profile.cpp).
//
// Where Windows reads a file otherwise (as Wine's implementation of the
// profile functions shows), and why the program keeps its own reading:
// - Integers: Windows also reads "0x", "0o" and "0b" forms and lets values
//   outside 32 bits wrap around ("99999999999" reads as 1215752191). The
//   settings are decimal, and a runaway count held at the limit stays a large
//   count instead of turning into an arbitrary one.
// - An empty integer value ("MAIL-COUNT=") reads on Windows as the default,
//   here as 0, the same as any other value without digits.
// - Windows drops one pair of single quotes around a value too, and form
//   feeds and vertical tabs at either end besides blanks. Such a value is
//   read here as it stands; a value the program writes never stands that way
//   unquoted, so what it writes reads the same on both.
// - Characters outside ASCII: Windows' 8-bit functions hand them out in the
//   system's ANSI code page, and cut a value to the buffer in those bytes;
//   here they are UTF-8 and cut in UTF-8 bytes. The program's text is UTF-8
//   on every platform, and UTF-8 holds every character of a Unicode file, so
//   a value goes back unchanged where the code page would have replaced
//   characters it lacks by '?' (and every save rewrites every key). An 8-bit
//   file without a byte order mark both sides take byte for byte; one with
//   a UTF-8 mark Windows reads as UTF-8 too, then hands it out in the code
//   page as above.
// - An unpaired UTF-16 surrogate is no character: it reads as U+FFFD, and a
//   save writes U+FFFD in its place.
class CProfile {
 public:
  CProfile() = default;
  // bytes: the file as it stands on disk.
  explicit CProfile(std::string_view bytes);

  // The value of key in section, unquoted; nullopt when either is absent or
  // the key has no value. Valid until the next write.
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

  // Copies the value, or defaultText when there is none, into buffer, cut to
  // size-1 bytes without splitting a UTF-8 character, and terminates it.
  // Returns the number of bytes copied. Does nothing when size is 0.
  std::size_t ReadText(std::string_view section, std::string_view key, std::string_view defaultText,
                       char* buffer, std::size_t size) const;

  int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;

  // Sets key in section to value, adding the key or the section when absent.
  void WriteText(std::string_view section, std::string_view key, std::string_view value);

  // The whole file as it now stands, as it goes to disk.
  std::string Text() const;

 private:
  // [header line, next section's header line or end) of the first section
  // named section.
  std::optional<std::pair<std::size_t, std::size_t>> SectionLines(std::string_view section) const;
  // The first line in [begin, end) holding key.
  std::optional<std::size_t> KeyLine(std::size_t begin, std::size_t end,
                                     std::string_view key) const;

  enum class EEncoding { k8Bit, kUtf16Le, kUtf16Be };
  EEncoding m_encoding = EEncoding::k8Bit;
  std::string_view m_lineEnd = kNewFileLineEnd;
  // Each line in UTF-8, with LF as its line end (the last one may have none);
  // a run of lines that are never read is kept as one entry.
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
