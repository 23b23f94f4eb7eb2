// The authentication paths against a real web server: lighttpd with mod_auth,
// started on loopback with a configuration written for the test. Debian's
// lighttpd as scripts/test-tools unpacks it, never the machine's service.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "monitor/fixed_text.h"
#include "monitor/status_fetch.h"
#include "settings/unique_fd.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

constexpr char kLighttpd[] = ORLAVO_TEST_TOOLS "/lighttpd";
constexpr char kLighttpdModules[] = ORLAVO_TEST_TOOLS "/lighttpd-modules";
constexpr std::string_view kPreviousPage = "the page of the previous check";
constexpr std::string_view kStatusPage = "<html>ADSL IP:192.0.2.7<br>(1024kbps/8192kbps)</html>\n";

sockaddr_in LoopbackAddress(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

// A port that was free a moment ago; lighttpd binds it right after.
int FreeLoopbackPort() {
  const CUniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address = LoopbackAddress(0);
  socklen_t length = sizeof address;
  if (::bind(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return 0;
  }
  return ntohs(address.sin_port);
}

bool Accepts(int port) {
  const CUniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const sockaddr_in address = LoopbackAddress(port);
  return ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

void WriteFile(const std::filesystem::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// The router: lighttpd asking for "admin" / "s3cret" by the method the test
// names, serving the status page as a plain file at the page's path.
class LighttpdFetchTest : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(StartHttpLayer()); }
  static void TearDownTestSuite() { StopHttpLayer(); }

  void SetUp() override {
    char pattern[] = "/tmp/orlavo-lighttpd-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    m_dir = pattern;
    std::filesystem::create_directories(m_dir / "www/cgi-bin");
    WriteFile(m_dir / "www/cgi-bin/main.cgi", kStatusPage);
    WriteFile(m_dir / "users", "admin:s3cret\n");
    m_port = FreeLoopbackPort();
    ASSERT_NE(m_port, 0);
    const std::string dir = m_dir.string();
    WriteFile(m_dir / "lighttpd.conf",
              "server.document-root = \"" + dir + "/www\"\n" +
                  "server.bind = \"127.0.0.1\"\n"
                  "server.port = " +
                  std::to_string(m_port) + "\n" + "server.errorlog = \"" + dir +
                  "/error.log\"\n"
                  "server.modules = (\"mod_auth\", \"mod_authn_file\")\n"
                  "mimetype.assign = (\".cgi\" => \"text/html\")\n"
                  "auth.backend = \"plain\"\n"
                  "auth.backend.plain.userfile = \"" +
                  dir + "/users\"\n" + "auth.require = (\"/cgi-bin/\" => (\"method\" => \"" +
                  GetParam() + "\", \"realm\" => \"router\", \"require\" => \"valid-user\"))\n");

    ASSERT_TRUE(std::filesystem::exists(kLighttpd))
        << kLighttpd << " is missing: run scripts/install-deps test";
    std::string program = kLighttpd, foreground = "-D", file = "-f",
                config = (m_dir / "lighttpd.conf").string(), modules = "-m",
                modules_dir = kLighttpdModules;
    char* argv[] = {program.data(), foreground.data(),  file.data(), config.data(),
                    modules.data(), modules_dir.data(), nullptr};
    ASSERT_EQ(::posix_spawn(&m_pid, kLighttpd, nullptr, nullptr, argv, environ), 0);
    for (int attempt = 0; attempt < 250 && !Accepts(m_port); ++attempt) {
      int status = 0;
      ASSERT_EQ(::waitpid(m_pid, &status, WNOHANG), 0)
          << "lighttpd ended: " << ReadFile(m_dir / "error.log");
      std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(Accepts(m_port)) << ReadFile(m_dir / "error.log");
  }

  ~LighttpdFetchTest() override {
    if (m_pid > 0 && ::kill(m_pid, SIGTERM) == 0) ::waitpid(m_pid, nullptr, 0);
    if (!m_dir.empty()) std::filesystem::remove_all(m_dir);
  }

  std::filesystem::path m_dir;
  int m_port = 0;
  pid_t m_pid = -1;
};

TEST_P(LighttpdFetchTest, ReadsThePageOnlyWithTheRightPassword) {
  struct Case {
    const char* password;
    bool bRight;
  };
  const auto record = std::make_unique<MonitorRecord>();
  CopyText(record->m_szRouterAddress, "127.0.0.1");
  CopyText(record->m_szUserName, "admin");
  FetchOptions options;
  options.port = m_port;
  for (const Case item : {Case{"s3cret", true}, Case{"wrong", false}}) {
    SCOPED_TRACE(item.password);
    CopyText(record->m_szPassword, item.password);
    CopyText(record->m_szPage, kPreviousPage);

    EXPECT_EQ(FetchStatusPage(*record, options), 1);

    if (item.bRight) {
      EXPECT_EQ(FieldText(record->m_szPage), kStatusPage);
    } else {
      EXPECT_THAT(std::string(FieldText(record->m_szPage)),
                  ::testing::HasSubstr("<h1>401 Unauthorized</h1>"));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AuthMethods, LighttpdFetchTest, ::testing::Values("basic", "digest"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                           return std::string(param.param);
                         });

}  // namespace
