// Runs where /etc/resolv.conf names only name servers on loopback, in a
// network and mount namespace of its own (see tests/CMakeLists.txt, and
// tests/windows/CMakeLists.txt under Wine), and keeps them silent: every name
// lookup hangs until it is given up.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
// After windows.h.
#include <tlhelp32.h>
#endif

#include <filesystem>
#include <iterator>

#include "mail/name_lookup.h"
#include "mail/report_mail.h"
#include "tests/mail/report_record.h"
#include "tests/support/silent_name_server.h"
#include "tests/support/smtp_test_server.h"

namespace {

using namespace mail_test;
using namespace testing_support;
using Clock = std::chrono::steady_clock;

constexpr char kServerName[] = "mail.pellworth.example";

long ThreadCount() {
#ifdef _WIN32
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  long count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
#else
  return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                       std::filesystem::directory_iterator());
#endif
}

class ReportMailSilentNameServer : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_servers.empty()) << "no name server in /etc/resolv.conf";
    for (const auto& server : m_servers) ASSERT_TRUE(server->Listening());
  }

  int Queries() const {
    int queries = 0;
    for (const auto& server : m_servers) queries += server->Queries();
    return queries;
  }

  std::vector<std::unique_ptr<CSilentNameServer>> m_servers = SilenceTheNameServers();
  CSmtpTestServer m_smtp{{}};
};

TEST_F(ReportMailSilentNameServer, GivesUpAtTheConnectLimit) {
  const auto record = ReportRecord(kServerName);
  SmtpOptions options;
  options.port = m_smtp.Port();
  options.connectTimeout = 1s;

  const auto start = Clock::now();
  EXPECT_EQ(SendReportMail(*record, options), 0);
  // The name service alone would keep it at least 5 s.
  EXPECT_LT(Clock::now() - start, 4s);
  EXPECT_GT(Queries(), 0);
  EXPECT_EQ(m_smtp.Received(0), "");
}

TEST_F(ReportMailSilentNameServer, GivesUpAtTheDefaultConnectLimit) {
  const auto record = ReportRecord(kServerName);
  SmtpOptions options;
  options.port = m_smtp.Port();

  const auto start = Clock::now();
  EXPECT_EQ(SendReportMail(*record, options), 0);
  EXPECT_LT(Clock::now() - start, options.connectTimeout + 5s);
  EXPECT_GT(Queries(), 0);
}

TEST_F(ReportMailSilentNameServer, GivenUpLookupsAreFewAndANumericAddressNeedsNone) {
  const long threadsBefore = ThreadCount();
  const auto record = ReportRecord(kServerName);
  SmtpOptions options;
  options.port = m_smtp.Port();
  options.connectTimeout = 100ms;
  for (int i = 0; i < 2 * kMaxLookupThreads; ++i) EXPECT_EQ(SendReportMail(*record, options), 0);
  EXPECT_LE(ThreadCount(), threadsBefore + kMaxLookupThreads);

  // Every lookup thread is taken, yet an address needs none.
  CopyText(record->m_szSmtpServer, "127.0.0.1");
  EXPECT_EQ(SendReportMail(*record, options), 1);
}

}  // namespace
