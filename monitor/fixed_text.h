#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

// Every write into a fixed-size text field of the record goes through these:
// the result is always NUL-terminated, never longer than the field, and a cut
// never leaves half of a UTF-8 character behind.

// The length of the longest prefix of text that is at most max bytes and does
// not end inside a UTF-8 character. Bytes that are not UTF-8 are cut anywhere.
std::size_t Utf8PrefixLength(std::string_view text, std::size_t max);

// Copies as much of text as fits in size-1 bytes into dest and terminates it.
// Returns the number of bytes copied. size must be at least 1.
std::size_t CopyText(char* dest, std::size_t size, std::string_view text);

template <std::size_t N>
std::size_t CopyText(char (&dest)[N], std::string_view text) {
  return CopyText(dest, N, text);
}

// Appends as much of text as still fits behind the text already in dest.
// Returns the number of bytes appended.
std::size_t AppendText(char* dest, std::size_t size, std::string_view text);

template <std::size_t N>
std::size_t AppendText(char (&dest)[N], std::string_view text) {
  return AppendText(dest, N, text);
}

// The text of a field: up to its first NUL, never past its end.
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return {field, strnlen(field, N)};
}
