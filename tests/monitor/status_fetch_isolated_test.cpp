// Runs in a network namespace of its own with only loopback up, so the name
// lookup below cannot leave the machine.
#include "monitor/status_fetch.h"

#include <gtest/gtest.h>

#include <memory>

#include "monitor/fixed_text.h"
#include "tests/support/http_test_server.h"

namespace {

using namespace std::chrono_literals;

constexpr std::string_view kPreviousPage = "the page of the previous check";
constexpr std::string_view kStatusPage = "<html>ADSL IP:192.0.2.7<br></html>";

TEST(IsolatedStatusFetchTest, NameThatDoesNotResolveLeavesThePage) {
  ASSERT_TRUE(StartHttpLayer());
  testing_support::HttpTestServer router(
      testing_support::AnswerAlways(testing_support::HttpResponse(200, kStatusPage)));
  const auto record = std::make_unique<MonitorRecord>();
  FetchOptions options;
  options.port = router.Port();
  options.connectTimeout = 5s;
  options.totalTimeout = 10s;

  // The same fetch by address works here, so the lookup is what fails.
  CopyText(record->m_szRouterAddress, "127.0.0.1");
  EXPECT_EQ(FetchStatusPage(*record, options), 1);
  EXPECT_EQ(FieldText(record->m_szPage), kStatusPage);

  CopyText(record->m_szPage, kPreviousPage);
  CopyText(record->m_szRouterAddress, "router.invalid");
  EXPECT_EQ(FetchStatusPage(*record, options), 0);
  EXPECT_EQ(FieldText(record->m_szPage), kPreviousPage);
  EXPECT_EQ(router.Requests().size(), 1u);
  StopHttpLayer();
}

}  // namespace
