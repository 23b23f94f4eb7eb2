#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace testing_support {

// A fresh directory of its own under the temporary directory, named after
// prefix, removed with everything in it when the owner goes (also when a test
// fails). Path() is empty when it could not be made.
class CTempDir {
 public:
  explicit CTempDir(const std::string& prefix) {
    // As mkdtemp does it, on every platform: a random name, taken only when
    // nobody has it yet, for the owner alone.
    std::random_device random;
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    for (int attempt = 0; attempt < 100 && m_path.empty() && !error; ++attempt) {
      const std::filesystem::path candidate = base / (prefix + std::to_string(random()));
      if (std::filesystem::create_directory(candidate, error)) {
        m_path = candidate;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, error);
      }
    }
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
