#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "mail/report_mail.h"
#include "tests/mail/report_record.h"

namespace {

using namespace std::chrono_literals;
using namespace mail_test;

// Takes every mail and stores its envelope and its data as received (after
// the server has undone the dot-stuffing); writes the port it listens on.
constexpr char kServerScript[] = R"(import asyncio, os, sys
from aiosmtpd.smtp import SMTP

directory = sys.argv[1]

def store(name, data):
    path = os.path.join(directory, name)
    with open(path + '.tmp', 'wb') as f:
        f.write(data)
    os.rename(path + '.tmp', path)

class Keeper:
    async def handle_DATA(self, server, session, envelope):
        store('envelope', ''.join(a + '\n' for a in [envelope.mail_from] + envelope.rcpt_tos).encode())
        store('message', envelope.original_content)
        return '250 OK'

async def main():
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: SMTP(Keeper(), loop=loop), '127.0.0.1', 0)
    store('port', str(server.sockets[0].getsockname()[1]).encode())
    await server.serve_forever()

asyncio.run(main())
)";

std::string FileText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Debian's aiosmtpd on a loopback port of its own choosing, for one test.
class CAiosmtpdServer {
 public:
  CAiosmtpdServer() {
    char szDirectory[] = "/tmp/orlavo-aiosmtpd-XXXXXX";
    if (::mkdtemp(szDirectory) == nullptr) return;
    m_directory = szDirectory;
    std::ofstream(m_directory / "server.py") << kServerScript;
    const std::string script = (m_directory / "server.py").string();
    const std::string directory = m_directory.string();
    // -I: the system's Python alone, whatever the environment says.
    char* const argv[] = {const_cast<char*>("python3"), const_cast<char*>("-I"),
                          const_cast<char*>(script.c_str()), const_cast<char*>(directory.c_str()),
                          nullptr};
    char* const envp[] = {const_cast<char*>("PATH=/usr/bin:/bin"), nullptr};
    if (::posix_spawn(&m_nPid, "/usr/bin/python3", nullptr, nullptr, argv, envp) != 0) {
      m_nPid = -1;
      return;
    }
    for (int i = 0; i < 300 && m_nPort == 0; ++i) {
      if (::waitpid(m_nPid, nullptr, WNOHANG) == m_nPid) {
        m_nPid = -1;
        return;
      }
      const std::string port = FileText(m_directory / "port");
      if (!port.empty())
        m_nPort = std::stoi(port);
      else
        std::this_thread::sleep_for(50ms);
    }
  }

  ~CAiosmtpdServer() {
    if (m_nPid > 0) {
      ::kill(m_nPid, SIGKILL);
      ::waitpid(m_nPid, nullptr, 0);
    }
    if (!m_directory.empty()) std::filesystem::remove_all(m_directory);
  }

  CAiosmtpdServer(const CAiosmtpdServer&) = delete;
  CAiosmtpdServer& operator=(const CAiosmtpdServer&) = delete;

  // 0 when the server did not come up.
  int Port() const { return m_nPort; }
  std::string Stored(const char* name) const { return FileText(m_directory / name); }

 private:
  std::filesystem::path m_directory;
  pid_t m_nPid = -1;
  int m_nPort = 0;
};

TEST(ReportMailAiosmtpd, TheServerStoresTheReportLineForLine) {
  CAiosmtpdServer server;
  ASSERT_NE(server.Port(), 0) << "aiosmtpd did not start";
  const auto record = ReportRecord("127.0.0.1");
  SmtpOptions options;
  options.port = server.Port();

  ASSERT_EQ(SendReportMail(*record, options), 1);
  EXPECT_EQ(server.Stored("envelope"),
            "orlavo@pellworth.example\n"
            "orlavo@pellworth.example\n"
            "anna@pellworth.example\n"
            "bert@pellworth.example\n");
  // Sixteen lines, CR LF throughout; the seventeenth, ".", ended the data.
  EXPECT_EQ(server.Stored("message"), StoredMessage());
}

TEST(ReportMailAiosmtpd, AFieldLineStartingWithADotArrivesIntact) {
  CAiosmtpdServer server;
  ASSERT_NE(server.Port(), 0) << "aiosmtpd did not start";
  const auto record = ReportRecord("127.0.0.1");
  CopyText(record->m_szUpLinkSpeed, "1024\n.\nQUIT");
  SmtpOptions options;
  options.port = server.Port();

  ASSERT_EQ(SendReportMail(*record, options), 1);
  EXPECT_EQ(server.Stored("message"),
            StoredMessage(kSender, kSubject, kAddress, "1024\r\n.\r\nQUIT", kDownLink));
}

}  // namespace
