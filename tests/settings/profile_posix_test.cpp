// The settings file's POSIX side: modes, umask, a full disk, files that are
// no regular file, symbolic links.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "settings/profile.h"
#include "tests/settings/settings_posix_support.h"
#include "tests/settings/settings_test_support.h"

namespace {

using settings_test::CScopedUmask;
using settings_test::ModeOf;
using settings_test::ProfileFileTest;
using settings_test::ReadFile;
using settings_test::WriteFile;

TEST_F(ProfileFileTest, NewFileIsPrivateWhateverTheUmask) {
  for (const mode_t mask : {mode_t{0}, mode_t{022}, mode_t{0777}}) {
    SCOPED_TRACE(mask);
    std::filesystem::remove(m_path);
    {
      const CScopedUmask umask(mask);
      const ProfileWrite write[] = {{"ROUTER", "PASSWORD", "vorp"}};
      ASSERT_TRUE(WriteProfile(m_path, write));
    }
    EXPECT_EQ(ModeOf(m_path), 0600);
    EXPECT_EQ(ReadFile(m_path), "[ROUTER]\nPASSWORD=vorp\n");
  }
}

TEST_F(ProfileFileTest, RewriteKeepsTheFilesMode) {
  WriteFile(m_path, "[ROUTER]\nPASSWORD=old\n");
  ASSERT_EQ(::chmod(m_path.c_str(), 0640), 0);
  const CScopedUmask umask(022);
  const ProfileWrite write[] = {{"ROUTER", "PASSWORD", "new"}};
  ASSERT_TRUE(WriteProfile(m_path, write));
  EXPECT_EQ(ModeOf(m_path), 0640);
  EXPECT_EQ(ReadFile(m_path), "[ROUTER]\nPASSWORD=new\n");
}

// Raises the file size limit back when it ends; files may not grow past
// bytes meanwhile, as on a full disk.
class CScopedFileSizeLimit {
 public:
  explicit CScopedFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &m_old);
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = m_old;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  CScopedFileSizeLimit(const CScopedFileSizeLimit&) = delete;
  CScopedFileSizeLimit& operator=(const CScopedFileSizeLimit&) = delete;
  ~CScopedFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldHandler);
  }

 private:
  rlimit m_old{};
  void (*m_oldHandler)(int) = SIG_DFL;
};

TEST_F(ProfileFileTest, SaveFailingHalfWayLeavesTheOldFile) {
  const std::string before = "[ROUTER]\nPASSWORD=old\n; some comment\n";
  WriteFile(m_path, before);
  const ProfileWrite write[] = {{"ROUTER", "PASSWORD", std::string(200, 'n')}};
  {
    const CScopedFileSizeLimit limit(64);
    EXPECT_FALSE(WriteProfile(m_path, write));
  }
  EXPECT_EQ(ReadFile(m_path), before);
  EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"Orlavo.INI"});
}

TEST_F(ProfileFileTest, NoRegularFileIsNeitherWaitedOnNorReplaced) {
  struct Case {
    const char* name;
    std::function<void(const std::string&)> make;
    std::filesystem::file_type type;
  };
  const Case cases[] = {
      {"FIFO", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); },
       std::filesystem::file_type::fifo},
      {"directory", [](const std::string& path) { std::filesystem::create_directory(path); },
       std::filesystem::file_type::directory},
      {"link to a character device",
       [](const std::string& path) { std::filesystem::create_symlink("/dev/null", path); },
       std::filesystem::file_type::symlink},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.make(m_path);
    EXPECT_FALSE(LoadProfile(m_path).Find("ROUTER", "PASSWORD"));
    const ProfileWrite write[] = {{"ROUTER", "PASSWORD", "new"}};
    EXPECT_FALSE(WriteProfile(m_path, write));
    EXPECT_EQ(std::filesystem::symlink_status(m_path).type(), c.type);
    EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"Orlavo.INI"});
    std::filesystem::remove(m_path);
  }
}

TEST_F(ProfileFileTest, SymbolicLinkIsFollowed) {
  std::filesystem::create_directory(m_dir.Path() / "real");
  const std::string real = m_dir.File("real/Orlavo.INI");
  WriteFile(real, "[ROUTER]\nPASSWORD=old\n");
  std::filesystem::create_symlink(real, m_path);
  const ProfileWrite write[] = {{"ROUTER", "PASSWORD", "new"}};
  ASSERT_TRUE(WriteProfile(m_path, write));
  EXPECT_TRUE(std::filesystem::is_symlink(m_path));
  EXPECT_EQ(ReadFile(real), "[ROUTER]\nPASSWORD=new\n");
}

TEST_F(ProfileFileTest, DanglingSymbolicLinkGetsItsFile) {
  std::filesystem::create_directory(m_dir.Path() / "real");
  struct Case {
    const char* name;
    std::string link;
    // The file the link names, relative to the test's directory; empty when
    // the save cannot be done.
    std::string created;
  };
  const Case cases[] = {
      {"absolute", m_dir.File("real/absolute.INI"), "real/absolute.INI"},
      {"relative", "real/relative.INI", "real/relative.INI"},
      {"through a second link", "second-link", "real/second.INI"},
      {"into a missing directory", "missing/Orlavo.INI", ""},
      {"in a circle", "Orlavo.INI", ""},
  };
  std::filesystem::create_symlink("real/second.INI", m_dir.Path() / "second-link");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::create_symlink(c.link, m_path);
    const ProfileWrite write[] = {{"ROUTER", "PASSWORD", "new"}};
    EXPECT_EQ(WriteProfile(m_path, write), !c.created.empty());
    EXPECT_EQ(std::filesystem::read_symlink(m_path), c.link);
    if (!c.created.empty()) {
      EXPECT_EQ(ReadFile(m_dir.File(c.created)), "[ROUTER]\nPASSWORD=new\n");
      EXPECT_EQ(ModeOf(m_dir.File(c.created)), 0600);
    }
    std::filesystem::remove(m_path);
  }
  EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "missing"));
}

}  // namespace
