#include <algorithm>

#include "settings/file_io.h"

bool IsTempFileName(std::string_view name, std::string_view fileName) {
  const std::size_t prefix = fileName.size() + kTempInfix.size();
  if (name.size() != prefix + kTempSuffixLength || !name.starts_with(fileName) ||
      name.substr(fileName.size(), kTempInfix.size()) != kTempInfix) {
    return false;
  }
  return std::ranges::all_of(name.substr(prefix), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}
