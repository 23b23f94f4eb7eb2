#include "monitor/utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point of the valid UTF-8 character at the start of bytes, and its
// length; length 0 when the bytes there are not one.
std::size_t DecodeOne(std::string_view bytes, char32_t& codePoint) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  const std::size_t length = Utf8SequenceLength(lead);
  if (length == 0 || bytes.size() < length) return 0;
  if (length == 1) {
    codePoint = lead;
    return 1;
  }
  constexpr char32_t kLeadBits[] = {0, 0, 0x1F, 0x0F, 0x07};
  constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  char32_t value = lead & kLeadBits[length];
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (!IsUtf8Continuation(byte)) return 0;
    value = (value << 6) | (byte & 0x3FU);
  }
  // Overlong forms, surrogates and values past Unicode are not characters.
  if (value < kMinimum[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return 0;
  }
  codePoint = value;
  return length;
}

}  // namespace

std::size_t Utf8SequenceLength(unsigned char byte) {
  if (byte < 0x80) return 1;
  if (byte >= 0xC2 && byte <= 0xDF) return 2;
  if (byte >= 0xE0 && byte <= 0xEF) return 3;
  if (byte >= 0xF0 && byte <= 0xF4) return 4;
  return 0;
}

std::u32string DecodeUtf8(std::string_view bytes) {
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
  return decoded;
}
