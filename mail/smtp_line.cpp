#include "mail/smtp_line.h"

#include <algorithm>

#include "monitor/fixed_text.h"

std::string_view BuildLine(char (&line)[kSmtpLineSize],
                           std::initializer_list<std::string_view> parts) {
  line[0] = '\0';
  std::size_t length = 0;
  for (const std::string_view part : parts) length += AppendText(line, part);
  return {line, length};
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string_view BlankLineBreaks(std::string_view text, char (&buffer)[kSmtpLineSize]) {
  const std::string_view copy = BuildLine(buffer, {text});
  const auto lineBreak = [](char c) { return c == '\r' || c == '\n'; };
  std::replace_if(buffer, buffer + copy.size(), lineBreak, ' ');
  return copy;
}

std::string_view ToDataForm(std::string_view text, char (&data)[kSmtpDataLineSize]) {
  std::size_t n = 0;
  bool lineStart = true;
  // Each input byte yields at most two output bytes; stop short of overflow
  // should a caller ever pass more than a line buffer holds.
  for (std::size_t i = 0; i < text.size() && n + 2 <= sizeof data; ++i) {
    const char byte = text[i];
    if (byte == '\r' || byte == '\n') {
      if (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      data[n++] = '\r';
      data[n++] = '\n';
      lineStart = true;
      continue;
    }
    if (lineStart && byte == '.') data[n++] = '.';
    data[n++] = byte;
    lineStart = false;
  }
  return {data, n};
}
