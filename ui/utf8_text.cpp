#include "ui/utf8_text.h"

#include <cstddef>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The code point of the valid UTF-8 character at the start of bytes, and its
// length; length 0 when the bytes there are not one.
std::size_t DecodeOne(std::string_view bytes, char32_t& codePoint) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  std::size_t length = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    value = lead & 0x1Fu;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    value = lead & 0x0Fu;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    value = lead & 0x07u;
    minimum = 0x10000;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (!IsContinuation(byte)) return 0;
    value = (value << 6) | (byte & 0x3Fu);
  }
  // Overlong forms, surrogates and values past Unicode are not characters.
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  codePoint = value;
  return length;
}

}  // namespace

wxString TextFromBytes(std::string_view bytes) {
  std::u32string decoded;
  decoded.reserve(bytes.size());
  while (!bytes.empty()) {
    char32_t codePoint = kReplacement;
    std::size_t length = DecodeOne(bytes, codePoint);
    if (length == 0) {
      codePoint = kReplacement;
      length = 1;
    }
    decoded.push_back(codePoint);
    bytes.remove_prefix(length);
  }
  wxString text;
  text.reserve(decoded.size());
  for (const char32_t codePoint : decoded) text += wxUniChar(static_cast<wxUint32>(codePoint));
  return text;
}

std::string BytesFromText(const wxString& text) {
  const wxScopedCharBuffer utf8 = text.utf8_str();
  return {utf8.data(), utf8.length()};
}
