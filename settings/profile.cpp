#include "settings/profile.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "monitor/fixed_text.h"
#include "monitor/utf8.h"
#include "settings/file_io.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  const auto byte = [&out](char32_t bits) { out += static_cast<char>(bits); };
  if (c < 0x80) {
    byte(c);
  } else if (c < 0x800) {
    byte(0xC0 | c >> 6);
    byte(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    byte(0xE0 | c >> 12);
    byte(0x80 | (c >> 6 & 0x3F));
    byte(0x80 | (c & 0x3F));
  } else {
    byte(0xF0 | c >> 18);
    byte(0x80 | (c >> 12 & 0x3F));
    byte(0x80 | (c >> 6 & 0x3F));
    byte(0x80 | (c & 0x3F));
  }
}

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

// UTF-16 after its byte order mark, as UTF-8. An unpaired surrogate becomes
// U+FFFD, as any text that is no character does in the program; a last odd
// byte is no character either and is dropped.
std::string Utf8FromUtf16(std::string_view bytes, bool bBigEndian) {
  const auto unit = [bytes, bBigEndian](std::size_t i) -> char32_t {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return bBigEndian ? char32_t{first} << 8 | second : char32_t{second} << 8 | first;
  };
  std::string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t c = unit(i);
    if (IsHighSurrogate(c) && i + 3 < bytes.size() && IsLowSurrogate(unit(i + 2))) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      c = kReplacement;
    }
    AppendUtf8(text, c);
  }
  return text;
}

// UTF-8 as UTF-16 with its byte order mark; bytes that are no UTF-8 become
// U+FFFD.
std::string Utf16FromUtf8(std::string_view text, bool bBigEndian) {
  std::string bytes(bBigEndian ? kUtf16BeMark : kUtf16LeMark);
  bytes.reserve(bytes.size() + 2 * text.size());
  const auto unit = [&bytes, bBigEndian](char32_t u) {
    const auto high = static_cast<char>(u >> 8);
    const auto low = static_cast<char>(u & 0xFF);
    bytes += bBigEndian ? high : low;
    bytes += bBigEndian ? low : high;
  };
  for (const char32_t c : DecodeUtf8(text)) {
    if (c < 0x10000) {
      unit(c);
    } else {
      unit(0xD800 + ((c - 0x10000) >> 10));
      unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return bytes;
}

// The line end the text's first line ends with: CR LF, LF or a lone CR.
std::string_view LineEndOf(std::string_view text) {
  const std::size_t end = text.find_first_of("\r\n");
  if (end == std::string_view::npos) return kNewFileLineEnd;
  if (text[end] == '\n') return "\n";
  return text.substr(end).starts_with("\r\n") ? "\r\n" : "\r";
}

// Every line end as LF: the lines are read and held that way.
std::string WithLineFeeds(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (;;) {
    const std::size_t cr = text.find('\r');
    out += text.substr(0, cr);
    if (cr == std::string_view::npos) return out;
    out += '\n';
    text.remove_prefix(text.substr(cr).starts_with("\r\n") ? cr + 2 : cr + 1);
  }
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsQuoted(std::string_view text) {
  return text.size() >= 2 && text.front() == '"' && text.back() == '"';
}

std::string_view Unquote(std::string_view text) {
  return IsQuoted(text) ? text.substr(1, text.size() - 2) : text;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// A line's text without its line end and without a byte order mark.
std::string_view Content(std::string_view line) {
  if (line.ends_with('\n')) line.remove_suffix(1);
  if (line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
  return line;
}

struct ParsedLine {
  enum class EKind { kSection, kKey, kOther };
  EKind kind = EKind::kOther;
  std::string_view name;
  // None for a key line without '=', which names the key without giving it
  // a value.
  std::optional<std::string_view> value;
};

// An entry is one line, or a run of lines that are never read; either way its
// first line tells what it is.
std::string_view FirstLine(std::string_view entry) {
  const std::size_t lineFeed = entry.find('\n');
  return lineFeed == std::string_view::npos ? entry : entry.substr(0, lineFeed + 1);
}

std::string_view LastLine(std::string_view entry) {
  const std::size_t end = entry.ends_with('\n') ? entry.size() - 1 : entry.size();
  const std::size_t start = entry.rfind('\n', end == 0 ? 0 : end - 1);
  return start == std::string_view::npos || end == 0 ? entry : entry.substr(start + 1);
}

ParsedLine Parse(std::string_view entry) {
  const std::string_view text = TrimBlanks(Content(FirstLine(entry)));
  if (text.starts_with('[')) {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return {};
    return {ParsedLine::EKind::kSection, TrimBlanks(text.substr(1, close - 1)), {}};
  }
  if (text.empty() || text.front() == ';' || text.front() == '#') return {};
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return {ParsedLine::EKind::kKey, text, std::nullopt};
  return {ParsedLine::EKind::kKey, TrimBlanks(text.substr(0, equals)),
          Unquote(TrimBlanks(text.substr(equals + 1)))};
}

int ParseInt(std::string_view text) {
  bool bNegative = false;
  if (text.starts_with('+') || text.starts_with('-')) {
    bNegative = text.front() == '-';
    text.remove_prefix(1);
  }
  // One past the largest int, so that the smallest one is reached too.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<int>::max()} + 1;
  std::int64_t n = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    n = std::min(n * 10 + (c - '0'), kLimit);
  }
  if (bNegative) n = -n;
  return static_cast<int>(std::clamp<std::int64_t>(n, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

// Whether a value standing in a key line unquoted would read otherwise, here
// or on Windows: Windows also drops form feeds and vertical tabs at either end
// and single quotes around the whole value.
bool NeedsQuotes(std::string_view value) {
  constexpr std::string_view kWindowsBlanks = " \t\v\f";
  if (value.empty()) return false;
  if (kWindowsBlanks.find(value.front()) != std::string_view::npos ||
      kWindowsBlanks.find(value.back()) != std::string_view::npos) {
    return true;
  }
  return IsQuoted(value) || (value.size() >= 2 && value.front() == '\'' && value.back() == '\'');
}

// "KEY=value\n", quoted where reading would otherwise change the value.
std::string KeyLineText(std::string_view key, std::string_view value) {
  value = value.substr(0, value.find_first_of("\r\n"));
  const bool bQuote = NeedsQuotes(value);
  std::string line(key);
  line += '=';
  if (bQuote) line += '"';
  line += value;
  if (bQuote) line += '"';
  line += '\n';
  return line;
}

bool IsBlankLine(std::string_view entry) { return TrimBlanks(Content(LastLine(entry))).empty(); }

bool IsUnread(std::string_view entry) { return Parse(entry).kind == ParsedLine::EKind::kOther; }

void EndLine(std::string& line) {
  if (!line.ends_with('\n')) line += '\n';
}

}  // namespace

CProfile::CProfile(std::string_view bytes) {
  std::string decoded;
  if (bytes.starts_with(kUtf16LeMark) || bytes.starts_with(kUtf16BeMark)) {
    m_encoding = bytes.starts_with(kUtf16LeMark) ? EEncoding::kUtf16Le : EEncoding::kUtf16Be;
    decoded = Utf8FromUtf16(bytes.substr(kUtf16LeMark.size()), m_encoding == EEncoding::kUtf16Be);
    bytes = decoded;
  }
  m_lineEnd = LineEndOf(bytes);
  // A file with LF line ends only is read where it stands.
  std::string withLineFeeds;
  if (bytes.find('\r') != std::string_view::npos) withLineFeeds = WithLineFeeds(bytes);
  const std::string_view text = withLineFeeds.empty() ? bytes : withLineFeeds;
  // Comments, blank lines and other unread lines in a row are one entry, so
  // that a file of long comments costs no more than a few keys.
  std::size_t unreadStart = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lineFeed = text.find('\n', start);
    const std::size_t end = lineFeed == std::string_view::npos ? text.size() : lineFeed + 1;
    const std::string_view line = text.substr(start, end - start);
    if (!IsUnread(line)) {
      if (unreadStart < start) m_lines.emplace_back(text.substr(unreadStart, start - unreadStart));
      m_lines.emplace_back(line);
      unreadStart = end;
    }
    start = end;
  }
  if (unreadStart < text.size()) m_lines.emplace_back(text.substr(unreadStart));
}

std::optional<std::pair<std::size_t, std::size_t>> CProfile::SectionLines(
    std::string_view section) const {
  std::size_t header = 0;
  while (header < m_lines.size()) {
    const ParsedLine line = Parse(m_lines[header]);
    if (line.kind == ParsedLine::EKind::kSection && EqualsIgnoringCase(line.name, section)) break;
    ++header;
  }
  if (header == m_lines.size()) return std::nullopt;
  std::size_t end = header + 1;
  while (end < m_lines.size() && Parse(m_lines[end]).kind != ParsedLine::EKind::kSection) ++end;
  return std::pair{header, end};
}

std::optional<std::size_t> CProfile::KeyLine(std::size_t begin, std::size_t end,
                                             std::string_view key) const {
  for (std::size_t i = begin; i < end; ++i) {
    const ParsedLine line = Parse(m_lines[i]);
    if (line.kind == ParsedLine::EKind::kKey && EqualsIgnoringCase(line.name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string_view> CProfile::Find(std::string_view section,
                                               std::string_view key) const {
  const auto lines = SectionLines(section);
  if (!lines) return std::nullopt;
  const auto keyLine = KeyLine(lines->first + 1, lines->second, key);
  if (!keyLine) return std::nullopt;
  return Parse(m_lines[*keyLine]).value;
}

std::size_t CProfile::ReadText(std::string_view section, std::string_view key,
                               std::string_view defaultText, char* buffer, std::size_t size) const {
  if (size == 0) return 0;
  return CopyText(buffer, size, Find(section, key).value_or(defaultText));
}

int CProfile::ReadInt(std::string_view section, std::string_view key, int defaultValue) const {
  const auto value = Find(section, key);
  return value ? ParseInt(*value) : defaultValue;
}

void CProfile::WriteText(std::string_view section, std::string_view key, std::string_view value) {
  std::string line = KeyLineText(key, value);
  const auto lines = SectionLines(section);
  if (!lines) {
    if (!m_lines.empty()) {
      EndLine(m_lines.back());
      // Sections stand apart by one blank line.
      if (!IsBlankLine(m_lines.back())) m_lines.emplace_back("\n");
    }
    std::string header = "[";
    header += section;
    header += "]\n";
    m_lines.push_back(std::move(header));
    m_lines.push_back(std::move(line));
    return;
  }
  if (const auto keyLine = KeyLine(lines->first + 1, lines->second, key)) {
    m_lines[*keyLine] = std::move(line);
    return;
  }
  // After the section's last key, so that comments and blank lines leading
  // into the next section stay with it.
  std::size_t after = lines->first;
  for (std::size_t i = lines->first + 1; i < lines->second; ++i) {
    if (Parse(m_lines[i]).kind == ParsedLine::EKind::kKey) after = i;
  }
  EndLine(m_lines[after]);
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(after + 1), std::move(line));
}

std::string CProfile::Text() const {
  std::string text;
  for (const std::string& line : m_lines) {
    if (m_lineEnd == "\n") {
      text += line;
      continue;
    }
    std::string_view rest = line;
    for (std::size_t lineFeed = rest.find('\n'); lineFeed != std::string_view::npos;
         lineFeed = rest.find('\n')) {
      text += rest.substr(0, lineFeed);
      text += m_lineEnd;
      rest.remove_prefix(lineFeed + 1);
    }
    text += rest;
  }
  if (m_encoding == EEncoding::k8Bit) return text;
  return Utf16FromUtf8(text, m_encoding == EEncoding::kUtf16Be);
}

CProfile LoadProfile(const std::string& path) {
  std::string text;
  ReadFileText(path, text);
  return CProfile(text);
}

bool WriteProfile(const std::string& path, std::span<const ProfileWrite> writes) {
  std::string text;
  if (ReadFileText(path, text) == EFileRead::kFailed) return false;
  CProfile profile(text);
  for (const ProfileWrite& write : writes) profile.WriteText(write.section, write.key, write.value);
  return ReplaceFileContents(path, profile.Text());
}
