// Runs where /etc/resolv.conf names only name servers on loopback, in a
// network and mount namespace of its own (see tests/CMakeLists.txt, and
// tests/windows/CMakeLists.txt under Wine), and keeps them silent: every name
// lookup hangs until it is given up.
#include <gtest/gtest.h>

#include <memory>

#include "monitor/fixed_text.h"
#include "monitor/status_fetch.h"
#include "tests/support/http_test_server.h"
#include "tests/support/silent_name_server.h"

namespace {

using namespace testing_support;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kPreviousPage = "the page of the previous check";

class StatusFetchSilentNameServer : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(StartHttpLayer()); }
  static void TearDownTestSuite() { StopHttpLayer(); }

  void SetUp() override {
    ASSERT_FALSE(m_servers.empty()) << "no name server in /etc/resolv.conf";
    for (const auto& server : m_servers) ASSERT_TRUE(server->Listening());
    CopyText(m_record->m_szRouterAddress, "router.pellworth.example");
    CopyText(m_record->m_szUserName, "admin");
    CopyText(m_record->m_szPassword, "s3cret");
    CopyText(m_record->m_szPage, kPreviousPage);
  }

  // Fetches and checks that nothing reached the router; returns the time taken.
  Clock::duration FetchNothing(const FetchOptions& options) {
    const auto start = Clock::now();
    EXPECT_EQ(FetchStatusPage(*m_record, options), 0);
    const auto taken = Clock::now() - start;
    EXPECT_EQ(FieldText(m_record->m_szPage), kPreviousPage);
    EXPECT_TRUE(m_router.Requests().empty());
    int queries = 0;
    for (const auto& server : m_servers) queries += server->Queries();
    EXPECT_GT(queries, 0);
    return taken;
  }

  std::vector<std::unique_ptr<CSilentNameServer>> m_servers = SilenceTheNameServers();
  HttpTestServer m_router{AnswerAlways(HttpResponse(200, "<html>ADSL IP:192.0.2.7<br></html>"))};
  std::unique_ptr<MonitorRecord> m_record = std::make_unique<MonitorRecord>();
};

TEST_F(StatusFetchSilentNameServer, GivesUpAtTheConnectLimit) {
  FetchOptions options;
  options.port = m_router.Port();
  options.connectTimeout = 1s;
  options.totalTimeout = 20s;
  // The name service alone would keep it at least 5 s.
  EXPECT_LT(FetchNothing(options), 4s);
}

TEST_F(StatusFetchSilentNameServer, GivesUpAtTheDefaultConnectLimit) {
  FetchOptions options;
  options.port = m_router.Port();
  EXPECT_LT(FetchNothing(options), options.connectTimeout + 5s);
}

}  // namespace
