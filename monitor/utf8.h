#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The program's one reading of UTF-8: where a character's bytes end, for
// cutting texts into fields, and which characters a text holds, for showing it.

// The number of bytes in the sequence that byte starts: 1 for ASCII, 2 to 4
// for a lead byte (C2 to F4), 0 for any other byte.
std::size_t Utf8SequenceLength(unsigned char byte);

inline bool IsUtf8Continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The characters of bytes. Every byte that does not start a valid UTF-8
// character (overlong forms, surrogates and values past U+10FFFF are none)
// becomes U+FFFD, so a text never reads as empty only because part of it is
// not UTF-8.
std::u32string DecodeUtf8(std::string_view bytes);
