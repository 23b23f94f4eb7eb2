// The settings file's POSIX side: the file's mode, saves killed half-way, and
// its place under XDG_CONFIG_HOME or HOME.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "monitor/fixed_text.h"
#include "settings/settings_file.h"
#include "tests/settings/settings_posix_support.h"
#include "tests/settings/settings_test_support.h"

namespace {

using settings_test::CScopedEnv;
using settings_test::CScopedUmask;
using settings_test::CTempDir;
using settings_test::ModeOf;
using settings_test::ReadFile;
using settings_test::SettingsFileTest;
using settings_test::WriteFile;

TEST_F(SettingsFileTest, SaveLeavesAFileOnlyItsOwnerReads) {
  CopyText(m_record->m_szPassword, "secret");
  SaveSettings(*m_record, m_path);
  EXPECT_EQ(ModeOf(m_path), 0600);
}

// Saves in a child process that is killed (SIGKILL) once the save has written
// limit bytes of its new file: as a power cut or kill -9 would leave it.
void SaveKilledHalfWay(const MonitorRecord& record, const std::string& path, rlim_t limit) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, [](int) { std::raise(SIGKILL); });
    const rlimit fileSize{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &fileSize);
    SaveSettings(record, path);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
}

TEST_F(SettingsFileTest, SaveRemovesWhatKilledSavesLeftBehind) {
  CopyText(m_record->m_szPassword, "secret");
  SaveSettings(*m_record, m_path);
  const std::string saved = ReadFile(m_path);
  // Files of the user's and of other files' saves stay.
  const std::vector<std::string> others = {"Orlavo.INI.backup", "Orlavo.INI.saving-abc",
                                           "Other.INI.saving-abcdef"};
  for (const std::string& name : others) WriteFile(m_dir.File(name), "PASSWORD=other\n");
  // As an earlier version of the program might have left one.
  WriteFile(m_dir.File("Orlavo.INI.saving-Ab12Z9"), "PASSWORD=secret\n");

  SaveKilledHalfWay(*m_record, m_path, 100);
  std::vector<std::string> leftovers;
  for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("Orlavo.INI.saving-") && name.size() == 24) leftovers.push_back(name);
  }
  ASSERT_EQ(leftovers.size(), 1u) << "the killed save left no copy behind";
  EXPECT_NE(leftovers[0], "Orlavo.INI.saving-Ab12Z9");
  EXPECT_NE(ReadFile(m_dir.File(leftovers[0])).find("PASSWORD=secret"), std::string::npos);
  EXPECT_EQ(ReadFile(m_path), saved);

  CopyText(m_record->m_szPassword, "renewed");
  SaveSettings(*m_record, m_path);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Orlavo.INI", "Orlavo.INI.backup",
                                             "Orlavo.INI.saving-abc", "Other.INI.saving-abcdef"}));
  EXPECT_STREQ(Load()->m_szPassword, "renewed");
}

TEST(SettingsFilePathTest, ConfigHomeOrHomeDotConfig) {
  struct Case {
    const char* name;
    std::optional<std::string> configHome;
    std::optional<std::string> home;
    std::string expected;
  };
  const Case cases[] = {
      {"config home", "/cfg", "/home/u", "/cfg/Orlavo.INI"},
      {"config home empty", "", "/home/u", "/home/u/.config/Orlavo.INI"},
      {"config home unset", std::nullopt, "/home/u", "/home/u/.config/Orlavo.INI"},
      {"config home relative", "cfg", "/home/u", "/home/u/.config/Orlavo.INI"},
      {"neither", std::nullopt, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CScopedEnv configHome("XDG_CONFIG_HOME", c.configHome);
    const CScopedEnv home("HOME", c.home);
    EXPECT_EQ(SettingsFilePath(), c.expected);
  }
}

TEST(SettingsFilePathTest, SaveCreatesTheMissingDirectories) {
  const CTempDir dir;
  const CScopedUmask umask(022);
  const auto record = std::make_unique<MonitorRecord>();
  CopyText(record->m_szPassword, "secret");
  struct Case {
    const char* name;
    std::optional<std::string> configHome;
    std::string createdDir;
  };
  const Case cases[] = {
      {"under config home", dir.File("config/deeper"), dir.File("config")},
      {"under home", std::nullopt, dir.File("home/.config")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CScopedEnv configHome("XDG_CONFIG_HOME", c.configHome);
    const CScopedEnv home("HOME", dir.File("home"));
    SaveSettings(*record, SettingsFilePath());
    const std::string path = SettingsFilePath();
    EXPECT_EQ(ModeOf(c.createdDir), 0700);
    EXPECT_EQ(ModeOf(std::filesystem::path(path).parent_path()), 0700);
    EXPECT_EQ(ModeOf(path), 0600);
    const auto loaded = std::make_unique<MonitorRecord>();
    LoadSettings(*loaded, SettingsFilePath());
    EXPECT_STREQ(loaded->m_szPassword, "secret");
  }
}

TEST(SettingsFilePathTest, SaveWithoutAPlaceDoesNothing) {
  const CTempDir dir;
  WriteFile(dir.File("config"), "not a directory");
  const CScopedEnv configHome("XDG_CONFIG_HOME", dir.File("config/orlavo"));
  const auto record = std::make_unique<MonitorRecord>();
  SaveSettings(*record, SettingsFilePath());
  EXPECT_EQ(ReadFile(dir.File("config")), "not a directory");
  LoadSettings(*record, SettingsFilePath());
  EXPECT_STREQ(record->m_szUserName, "user");
}

}  // namespace
