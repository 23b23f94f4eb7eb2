#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace testing_support {

// A fresh directory of its own under the temporary directory, named after
// prefix, removed with everything in it when the owner goes (also when a test
// fails). Path() is empty when it could not be made.
class CTempDir {
 public:
  explicit CTempDir(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) != nullptr) m_path = pattern;
  }
  CTempDir(const CTempDir&) = delete;
  CTempDir& operator=(const CTempDir&) = delete;
  ~CTempDir() {
    std::error_code error;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, error);
  }

  const std::filesystem::path& Path() const { return m_path; }
  std::string File(const std::string& name) const { return (m_path / name).string(); }

 private:
  std::filesystem::path m_path;
};

}  // namespace testing_support
