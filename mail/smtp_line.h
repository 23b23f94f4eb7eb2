#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

// Every command and message line is built in a buffer of this size; the
// record's field widths keep every line well inside it.
inline constexpr std::size_t kSmtpLineSize = 1024;
// A line in the data's canonical form: every byte of a line may double.
inline constexpr std::size_t kSmtpDataLineSize = 2 * kSmtpLineSize;

// Joins parts into line (NUL-terminated) and returns the text without the NUL.
std::string_view BuildLine(char (&line)[kSmtpLineSize],
                           std::initializer_list<std::string_view> parts);

// True when text holds a CR or an LF: such a field would add a command.
bool HasLineBreak(std::string_view text);

// Copies text into buffer with each CR and each LF turned into one blank, so
// that it stays on the line it is put on. Returns the copy.
std::string_view BlankLineBreaks(std::string_view text, char (&buffer)[kSmtpLineSize]);

// Writes text, which begins at the start of a line, into data in the form the
// mail data travels in: every line ends in CR LF (a bare CR or LF becomes
// CR LF) and a line that begins with "." gets one more "." in front, so no
// field text can end the data early. Returns the bytes written.
std::string_view ToDataForm(std::string_view text, char (&data)[kSmtpDataLineSize]);
