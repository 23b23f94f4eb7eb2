// No Windows profile functions here to read like.
#include "tests/settings/windows_profile.h"

#include <cstdlib>

namespace settings_test {

const bool kWindowsReadsToo = false;

std::optional<std::string> WindowsReads(const std::string&, const std::string&,
                                        const std::string&) {
  std::abort();
}

std::optional<std::string> WindowsReadsBytes(const std::string&, const char*, const char*) {
  std::abort();
}

int WindowsReadsInt(const std::string&, const char*, const char*, int) { std::abort(); }

}  // namespace settings_test
