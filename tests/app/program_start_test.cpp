// The program as a whole: the built executable, started as `make run` starts
// it, shows its window and ends with it.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

// Waits at most limit for the child; its exit status, or -1 when it ran on.
int WaitForExit(pid_t child, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child)
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    std::this_thread::sleep_for(20ms);
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  return -1;
}

TEST(ProgramStartTest, ShowsTheDialogAndEndsWithItWithoutWritingSettings) {
  const testing_support::CTempDir configDir("orlavo-app-");
  const std::string configHome = configDir.Path().string();
  ASSERT_FALSE(configHome.empty());
  ASSERT_TRUE(
      std::filesystem::exists(std::filesystem::path(ORLAVO_PROGRAM).replace_extension(".HLP")));

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
    execl(ORLAVO_PROGRAM, ORLAVO_PROGRAM, static_cast<char*>(nullptr));
    _exit(127);
  }
  // Escape ends the dialog; without a window manager the keyboard follows
  // the pointer. The key goes through the X server's input, not to the
  // window itself: the window is gone before the key's release.
  const int found = std::system(
      "timeout 15 xdotool search --sync --onlyvisible --name '^Orlavo$' "
      "mousemove --sync --window %1 30 30 && xdotool key Escape");
  EXPECT_EQ(found, 0);
  EXPECT_EQ(WaitForExit(child, 10s), 0);
  EXPECT_FALSE(std::filesystem::exists(configHome + "/Orlavo.INI"));
}

}  // namespace
