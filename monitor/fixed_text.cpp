#include "monitor/fixed_text.h"

#include <cstring>

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the sequence a lead byte announces; 0 for a byte that starts none.
std::size_t SequenceLength(unsigned char byte) {
  if (byte >= 0xC2 && byte <= 0xDF) return 2;
  if (byte >= 0xE0 && byte <= 0xEF) return 3;
  if (byte >= 0xF0 && byte <= 0xF4) return 4;
  return 0;
}

}  // namespace

std::size_t Utf8PrefixLength(std::string_view text, std::size_t max) {
  if (text.size() <= max) return text.size();
  // text[max] is the first byte left out. When it continues a character that
  // starts before the cut, that whole character goes too.
  std::size_t start = max;
  while (start > 0 && max - start < 3 && IsContinuation(static_cast<unsigned char>(text[start]))) {
    --start;
  }
  if (start < max) {
    const std::size_t length = SequenceLength(static_cast<unsigned char>(text[start]));
    if (length != 0 && start + length > max) return start;
  }
  return max;
}

std::size_t CopyText(char* dest, std::size_t size, std::string_view text) {
  const std::size_t n = Utf8PrefixLength(text, size - 1);
  if (n != 0) std::memcpy(dest, text.data(), n);
  dest[n] = '\0';
  return n;
}

std::size_t AppendText(char* dest, std::size_t size, std::string_view text) {
  const std::size_t used = strnlen(dest, size - 1);
  return CopyText(dest + used, size - used, text);
}
