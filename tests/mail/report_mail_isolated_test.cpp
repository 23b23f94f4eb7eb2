// Runs in a network namespace of its own with only loopback up, so no name
// lookup made here can reach a real name server.
#include <gtest/gtest.h>

#include "mail/report_mail.h"
#include "tests/mail/report_record.h"
#include "tests/support/smtp_test_server.h"

namespace {

using namespace mail_test;
using namespace testing_support;

TEST(ReportMailIsolated, AServerNameThatDoesNotResolveSendsNothing) {
  CSmtpTestServer server({});
  const auto record = ReportRecord("smtp.invalid");
  SmtpOptions options;
  options.port = server.Port();

  EXPECT_EQ(SendReportMail(*record, options), 0);
  EXPECT_EQ(server.Received(0), "");
}

TEST(ReportMailIsolated, ADottedAddressNeedsNoNameService) {
  CSmtpTestServer server({});
  const auto record = ReportRecord("127.0.0.1");
  SmtpOptions options;
  options.port = server.Port();

  EXPECT_EQ(SendReportMail(*record, options), 1);
}

}  // namespace
