#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "monitor/monitor_record.h"
#include "settings/profile.h"
#include "settings/settings_file.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace settings_test {

// A fresh directory for one test, removed with everything in it.
class CTempDir : public testing_support::CTempDir {
 public:
  CTempDir() : testing_support::CTempDir("orlavo-settings-") {}
};

using testing_support::CScopedEnv;

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// text with every LF as the line end a new file gets on this platform.
inline std::string WithNewFileLineEnds(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') {
      out += kNewFileLineEnd;
    } else {
      out += c;
    }
  }
  return out;
}

// A settings file in a fresh directory of its own.
class ProfileFileTest : public ::testing::Test {
 protected:
  CTempDir m_dir;
  std::string m_path = m_dir.File("Orlavo.INI");

  std::vector<std::string> DirectoryEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }
};

// The same, with a record to load and save.
class SettingsFileTest : public ::testing::Test {
 protected:
  CTempDir m_dir;
  std::string m_path = m_dir.File("Orlavo.INI");
  std::unique_ptr<MonitorRecord> m_record = std::make_unique<MonitorRecord>();

  std::unique_ptr<MonitorRecord> Load() const {
    auto record = std::make_unique<MonitorRecord>();
    LoadSettings(*record, m_path);
    return record;
  }
};

}  // namespace settings_test
