#include "monitor/fixed_text.h"

#include <cstring>

#include "monitor/utf8.h"

std::size_t Utf8PrefixLength(std::string_view text, std::size_t max) {
  if (text.size() <= max) return text.size();
  // text[max] is the first byte left out. When it continues a character that
  // starts before the cut, that whole character goes too.
  std::size_t start = max;
  while (start > 0 && max - start < 3 &&
         IsUtf8Continuation(static_cast<unsigned char>(text[start]))) {
    --start;
  }
  if (start < max) {
    const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(text[start]));
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
