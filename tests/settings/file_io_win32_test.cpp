// The settings file on Windows: whole-file reads, the replace in one step,
// and where the file lives.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "settings/file_io.h"

namespace {

namespace fs = std::filesystem;

class FileIo : public testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() /
            ("orlavo-file-io-" + std::to_string(GetCurrentProcessId()) + "-" +
             testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  std::string Path(const std::string& name) const { return (m_dir / name).string(); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_dir)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  fs::path m_dir;
};

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(FileIo, ReplacesAsAWholeAndLeavesNoTemporaryFile) {
  const std::string path = Path("Orlavo.INI");
  ASSERT_TRUE(ReplaceFileContents(path, "[ROUTER]\r\nIP-ADDRESS=1\r\n"));
  ASSERT_TRUE(ReplaceFileContents(path, "[MAIL]\nMAIL-COUNT=2\n"));
  EXPECT_EQ(Contents(path), "[MAIL]\nMAIL-COUNT=2\n");
  EXPECT_EQ(Names(), std::vector<std::string>{"Orlavo.INI"});

  std::string text = "left over";
  EXPECT_EQ(ReadFileText(path, text), EFileRead::kRead);
  EXPECT_EQ(text, "[MAIL]\nMAIL-COUNT=2\n");
}

TEST_F(FileIo, TellsAMissingFileFromOneThatCannotBeRead) {
  std::string text = "left over";
  EXPECT_EQ(ReadFileText(Path("none.INI"), text), EFileRead::kMissing);
  EXPECT_EQ(text, "");
  EXPECT_EQ(ReadFileText(Path("no-folder\\none.INI"), text), EFileRead::kMissing);
  EXPECT_EQ(ReadFileText(m_dir.string(), text), EFileRead::kFailed);
  // A folder in the file's place is not replaced.
  EXPECT_FALSE(ReplaceFileContents(m_dir.string(), "x"));
}

TEST_F(FileIo, ReaderAndWriterStopAtTheSameSize) {
  const std::string path = Path("Orlavo.INI");
  const std::string largest(kMaxFileSize, ';');
  ASSERT_TRUE(ReplaceFileContents(path, largest));
  std::string text;
  EXPECT_EQ(ReadFileText(path, text), EFileRead::kRead);
  EXPECT_EQ(text.size(), kMaxFileSize);

  // One byte more is neither written nor read.
  EXPECT_FALSE(ReplaceFileContents(path, largest + ";"));
  EXPECT_EQ(fs::file_size(path), kMaxFileSize);
  std::ofstream(path, std::ios::binary | std::ios::app) << ';';
  EXPECT_EQ(ReadFileText(path, text), EFileRead::kFailed);
  EXPECT_EQ(text, "");
  EXPECT_EQ(Names(), std::vector<std::string>{"Orlavo.INI"});
}

TEST_F(FileIo, ASaveRemovesOnlyWhatKilledSavesLeftBehind) {
  const std::string path = Path("Orlavo.INI");
  for (const char* name :
       {"Orlavo.INI.saving-a1B2c3", "Orlavo.INI.saving-zzzzzz", "Orlavo.INI.saving-abc",
        "Orlavo.INI.saving-abc1234", "Orlavo.INI.backup", "Other.INI.saving-a1B2c3"}) {
    std::ofstream(Path(name)) << "[ROUTER]\nPASSWORD=old\n";
  }
  fs::create_directory(Path("Orlavo.INI.saving-folder"));
  ASSERT_TRUE(ReplaceFileContents(path, "[MAIL]\n"));
  auto names = Names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"Orlavo.INI", "Orlavo.INI.backup", "Orlavo.INI.saving-abc",
                                      "Orlavo.INI.saving-abc1234", "Orlavo.INI.saving-folder",
                                      "Other.INI.saving-a1B2c3"}));
}

TEST_F(FileIo, APipeInThePlaceOfTheFileIsRefusedAtOnce) {
  const std::wstring name =
      L"\\\\.\\pipe\\orlavo-file-io-" + std::to_wstring(GetCurrentProcessId());
  // Nobody ever writes to it: a read that waited would wait for ever.
  const HANDLE pipe =
      CreateNamedPipeW(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  std::string text = "left over";
  EXPECT_EQ(ReadFileText(fs::path(name).string(), text), EFileRead::kFailed);
  EXPECT_EQ(text, "");
  CloseHandle(pipe);
}

TEST_F(FileIo, MakesEveryMissingFolder) {
  const std::string dir = Path("a") + "\\b/c";
  EXPECT_TRUE(MakeDirectories(dir));
  EXPECT_TRUE(fs::is_directory(dir));
  EXPECT_TRUE(MakeDirectories(dir));
  ASSERT_TRUE(ReplaceFileContents(Path("file"), "x"));
  EXPECT_FALSE(MakeDirectories(Path("file")));
}

TEST(ParentDirectory, OfWindowsPaths) {
  const struct {
    const char* path;
    const char* parent;
  } cases[] = {
      {"C:\\Users\\u\\AppData\\Orlavo\\Orlavo.INI", "C:\\Users\\u\\AppData\\Orlavo"},
      {"C:/Users/u/Orlavo.INI", "C:/Users/u"},
      {"C:\\Orlavo.INI", "C:\\"},
      {"\\Orlavo.INI", "\\"},
      {"Orlavo.INI", "."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ParentDirectory(c.path), c.parent);
  }
}

TEST(UserSettingsPath, IsInTheOrlavoFolderOfAppData) {
  const char* saved = std::getenv("APPDATA");
  const std::string before = saved != nullptr ? saved : "";
  ASSERT_TRUE(SetEnvironmentVariableA("APPDATA", "C:\\Users\\u\\AppData\\Roaming"));
  EXPECT_EQ(UserSettingsPath("Orlavo.INI"), "C:\\Users\\u\\AppData\\Roaming\\Orlavo\\Orlavo.INI");
  ASSERT_TRUE(SetEnvironmentVariableA("APPDATA", nullptr));
  EXPECT_EQ(UserSettingsPath("Orlavo.INI"), "");
  SetEnvironmentVariableA("APPDATA", saved != nullptr ? before.c_str() : nullptr);
}

}  // namespace
