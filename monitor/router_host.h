#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

// The router address is typed text that becomes the host of a URL. Only two
// shapes pass: a dotted IPv4 address (four decimal parts 0-255, no leading
// zeros, so no resolver reads octal or shorthand forms into it) and a host
// name (dot-separated labels of 1-63 letters, digits and inner hyphens, at most
// 253 bytes, last label not all digits, no label a number in octal or hex
// spelling such as "017" or "0x7f"). Nothing else can reach the request.

namespace router_host_detail {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

inline bool IsIpv4Part(std::string_view part) {
  if (part.empty() || part.size() > 3 || (part.size() > 1 && part[0] == '0')) return false;
  int value = 0;
  for (const char c : part) {
    if (!IsDigit(c)) return false;
    value = value * 10 + (c - '0');
  }
  return value <= 255;
}

inline bool IsLabel(std::string_view label) {
  if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') {
    return false;
  }
  return std::ranges::all_of(label, [](char c) { return IsLetter(c) || IsDigit(c) || c == '-'; });
}

inline bool IsAllDigits(std::string_view text) { return std::ranges::all_of(text, IsDigit); }

inline bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "0x7f", "0X", "017": what an address parser reads as a number in base 16 or 8.
inline bool IsOctalOrHexNumber(std::string_view label) {
  if (label.size() < 2 || label[0] != '0') return false;
  if (label[1] != 'x' && label[1] != 'X') return IsAllDigits(label);
  return std::ranges::all_of(label.substr(2), IsHexDigit);
}

}  // namespace router_host_detail

inline bool IsIpv4Address(std::string_view text) {
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = text.find('.');
    const bool bLast = part == 3;
    if (bLast != (dot == std::string_view::npos)) return false;
    if (!router_host_detail::IsIpv4Part(text.substr(0, dot))) return false;
    text.remove_prefix(bLast ? text.size() : dot + 1);
  }
  return true;
}

inline bool IsHostNameOrIpv4(std::string_view text) {
  if (IsIpv4Address(text)) return true;
  if (text.empty() || text.size() > 253) return false;
  std::string_view label;
  while (true) {
    const std::size_t dot = text.find('.');
    label = text.substr(0, dot);
    if (!router_host_detail::IsLabel(label) || router_host_detail::IsOctalOrHexNumber(label)) {
      return false;
    }
    if (dot == std::string_view::npos) break;
    text.remove_prefix(dot + 1);
  }
  return !router_host_detail::IsAllDigits(label);
}
