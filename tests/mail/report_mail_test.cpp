#include "mail/report_mail.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "monitor/fixed_text.h"
#include "tests/mail/report_record.h"
#include "tests/support/listen_socket.h"
#include "tests/support/loopback_server.h"
#include "tests/support/smtp_test_server.h"

namespace {

using namespace mail_test;
using namespace testing_support;

std::string Helo() { return "HELO 127.0.0.1\r\n"; }
std::string Mail(std::string_view from = kSender) {
  return "MAIL FROM:<" + std::string(from) + ">\r\n";
}
std::string Rcpt(std::string_view address) { return "RCPT TO:<" + std::string(address) + ">\r\n"; }
const std::string kData = "DATA\r\n";
const std::string kEnd = ".\r\n";
const std::string kQuit = "QUIT\r\n";

// HELO, MAIL FROM and RCPT TO for the sender and the first count slots.
std::string Envelope(int count = 2) {
  std::string text = Helo() + Mail() + Rcpt(kSender);
  for (int i = 0; i < count; ++i) text += Rcpt(kSlots[i]);
  return text;
}

std::string Delivery(int count = 2) {
  return Envelope(count) + kData + StoredMessage() + kEnd + kQuit;
}

struct ExchangeCase {
  const char* name;
  SmtpScript script;
  int result;
  std::string received;
  std::function<void(MonitorRecord&)> change = {};
  // Short reply and send limits, for servers that stop answering. They hold
  // for the replies before the silence too, so they leave a loaded machine
  // room for those.
  bool shortLimits = false;
};

void RunCases(const std::vector<ExchangeCase>& cases) {
  for (const ExchangeCase& c : cases) {
    SCOPED_TRACE(c.name);
    CSmtpTestServer server(c.script);
    const auto record = ReportRecord("127.0.0.1");
    if (c.change) c.change(*record);
    SmtpOptions options;
    options.port = server.Port();
    if (c.shortLimits) {
      options.replyTimeout = 1s;
      options.sendTimeout = 1s;
    }
    EXPECT_EQ(SendReportMail(*record, options), c.result);
    EXPECT_EQ(server.Received(), c.received);
  }
}

SmtpScript Rules(std::vector<SmtpRule> rules) { return {Reply("220 ready\r\n"), std::move(rules)}; }

TEST(ReportMail, DeliversTheReportByteForByte) {
  CSmtpTestServer server({});
  const auto record = ReportRecord("localhost");
  record->m_nMailCount = 3;
  SmtpOptions options;
  options.port = server.Port();

  EXPECT_EQ(SendReportMail(*record, options), 1);
  EXPECT_EQ(server.Received(),
            "HELO localhost\r\n"
            "MAIL FROM:<orlavo@pellworth.example>\r\n"
            "RCPT TO:<orlavo@pellworth.example>\r\n"
            "RCPT TO:<anna@pellworth.example>\r\n"
            "RCPT TO:<bert@pellworth.example>\r\n"
            "RCPT TO:<carl@pellworth.example>\r\n"
            "DATA\r\n" +
                StoredMessage() +
                ".\r\n"
                "QUIT\r\n");
}

TEST(ReportMail, JudgesTheRepliesItIsMeantTo) {
  RunCases({
      {"every reply positive", {}, 1, Delivery()},
      {"no recipient slots: the sender alone",
       {},
       1,
       Delivery(0),
       [](MonitorRecord& r) { r.m_nMailCount = 0; }},
      {"second of three slots refused: no DATA",
       Rules({{"RCPT TO:<bert", Reply("550 5.1.1 No such user\r\n")}}), 0, Envelope(2) + kQuit,
       [](MonitorRecord& r) { r.m_nMailCount = 3; }},
      {"sender refused as recipient", Rules({{"RCPT", Reply("554 5.7.1 Relay denied\r\n")}}), 0,
       Envelope(0) + kQuit},
      {"MAIL FROM refused with 550: the mail still goes out",
       Rules({{"MAIL", Reply("550 5.7.1 Sender rejected\r\n")}}), 0, Delivery()},
      {"MAIL FROM answered 501: only 550 counts",
       Rules({{"MAIL", Reply("501 5.1.7 Bad sender address syntax\r\n")}}), 1, Delivery()},
      {"RCPT TO answered 251 is a refusal",
       Rules({{"RCPT TO:<anna", Reply("251 User not local; will forward\r\n")}}), 0,
       Envelope(1) + kQuit},
      {"greeting 554 is not judged", {Reply("554 No service\r\n"), {}}, 1, Delivery()},
      {"HELO refused is not judged", Rules({{"HELO", Reply("502 Not here\r\n")}}), 1, Delivery()},
      {"DATA not answered 354: no message lines", Rules({{"DATA", Reply("250 2.0.0 Ok\r\n")}}), 0,
       Envelope() + kData + kQuit},
      {"end of data refused", Rules({{".", Reply("554 5.7.1 Message rejected\r\n")}}), 0,
       Delivery()},
      {"QUIT refused is not judged", Rules({{"QUIT", Reply("500 What?\r\n")}}), 1, Delivery()},
  });
}

TEST(ReportMail, ReadsEachReplyWhole) {
  const std::string longLine(3000, 'y');
  RunCases({
      {"reply split after two characters", Rules({{"RCPT", SplitReply({"25", "0 2.1.5 Ok\r\n"})}}),
       1, Delivery()},
      {"every reply multi-line and in pieces",
       {SplitReply({"220-smtp.pellworth.example\r\n", "220 ready\r\n"}),
        {{"HELO",
          SplitReply({"250-smtp.pellworth.example\r\n", "250-PIPELINING\r\n", "250 8BITMIME\r\n"})},
         {"MAIL", SplitReply({"250-Sender\r\n", "250 Ok\r\n"})},
         {"RCPT", SplitReply({"250-Recip", "ient\r\n250 Ok\r\n"})},
         {"DATA", SplitReply({"354-Go ahead\r\n", "354 End with .\r\n"})},
         {".", SplitReply({"250-Queued\r\n", "250 Ok\r\n"})}}},
       1,
       Delivery()},
      {"a multi-line acceptance does not spill into the next reply",
       Rules({{"RCPT TO:<orlavo", SplitReply({"250-Sender\r\n", "250 Ok\r\n"})},
              {"RCPT TO:<anna", Reply("550 5.1.1 No such user\r\n")}}),
       0, Envelope(1) + kQuit},
      {"replies longer than 1024 bytes",
       Rules({{"MAIL", Reply("250-" + longLine + "\r\n250 Ok\r\n")},
              {"RCPT TO:<orlavo", Reply("250 " + longLine + "\r\n")}}),
       1, Delivery()},
  });
}

TEST(ReportMail, EndsCleanlyWhenTheServerGoes) {
  // Sends after the server has gone hit a closed connection; the process
  // must not die of a signal for it.
  RunCases({
      {"closed after the greeting", {ReplyThenClose("220 ready\r\n"), {}}, 0, ""},
      {"closed instead of answering MAIL FROM", Rules({{"MAIL", CloseWithoutReply()}}), 0,
       Helo() + Mail()},
      {"closed after accepting the last RCPT TO",
       Rules({{"RCPT TO:<bert", ReplyThenClose("250 2.1.5 Ok\r\n")}}), 0, Envelope()},
      {"closed after 354", Rules({{"DATA", ReplyThenClose("354 Go ahead\r\n")}}), 0,
       Envelope() + kData},
      {"closed instead of answering the end of data", Rules({{".", CloseWithoutReply()}}), 0,
       Envelope() + kData + StoredMessage() + kEnd},
  });
}

TEST(ReportMail, GivesUpOnASilentServer) {
  // After a time-out the connection is dropped: nothing more is sent.
  RunCases({
      {"never greets", {FallSilent(), {}}, 0, "", {}, true},
      {"silent after MAIL FROM", Rules({{"MAIL", FallSilent()}}), 0, Helo() + Mail(), {}, true},
      {"stalls after two bytes of a reply",
       Rules({{"RCPT", FallSilent("25")}}),
       0,
       Envelope(0),
       {},
       true},
      {"stalls inside a multi-line reply",
       Rules({{"HELO", FallSilent("250-Hello\r\n")}}),
       0,
       Helo(),
       {},
       true},
      {"never answers the end of data",
       Rules({{".", FallSilent()}}),
       0,
       Envelope() + kData + StoredMessage() + kEnd,
       {},
       true},
  });
}

TEST(ReportMail, KeepsFieldTextsInTheirPlace) {
  const std::string longSender = std::string(237, 's') + "@pellworth.example";
  RunCases({
      {"empty slot within the count",
       {},
       1,
       Helo() + Mail() + Rcpt(kSender) + Rcpt("") + Rcpt(kSlots[1]) + kData + StoredMessage() +
           kEnd + kQuit,
       [](MonitorRecord& r) { r.m_szMailTo[0][0] = '\0'; }},
      {"subject with bytes of 0x80 and above",
       {},
       1,
       Envelope() + kData +
           StoredMessage(kSender, "Adresse ge\xC3\xA4ndert \x80\xFF", kAddress, kUpLink,
                         kDownLink) +
           kEnd + kQuit,
       [](MonitorRecord& r) { CopyText(r.m_szSubject, "Adresse ge\xC3\xA4ndert \x80\xFF"); }},
      {"255-character sender",
       {},
       1,
       Helo() + Mail(longSender) + Rcpt(longSender) + Rcpt(kSlots[0]) + Rcpt(kSlots[1]) + kData +
           StoredMessage(longSender, kSubject, kAddress, kUpLink, kDownLink) + kEnd + kQuit,
       [&](MonitorRecord& r) { CopyText(r.m_szFromAddress, longSender); }},
      {"line breaks in the data's fields stay inside the data",
       {},
       1,
       // The fields as the data form carries them: CR LF line ends, dots doubled.
       Envelope() + kData +
           StoredMessage(kSender, "Report .  QUIT", "203.0.113.7\r\n..\r\n", "1024\r\nkbps",
                         "8192kbps\r\n...") +
           kEnd + kQuit,
       [](MonitorRecord& r) {
         CopyText(r.m_szSubject, "Report\n.\r\nQUIT");
         CopyText(r.m_szGlobalIp, "203.0.113.7\r\n.\r\n");
         CopyText(r.m_szUpLinkSpeed, "1024\rkbps");
         CopyText(r.m_szDownLinkSpeed, "8192kbps\n..");
       }},
      {"CR LF in the subject: no header field of its own",
       {},
       1,
       Envelope() + kData +
           StoredMessage(kSender, "Report  Bcc: eve@pellworth.example", kAddress, kUpLink,
                         kDownLink) +
           kEnd + kQuit,
       [](MonitorRecord& r) { CopyText(r.m_szSubject, "Report\r\nBcc: eve@pellworth.example"); }},
      {"bare CR and bare LF in the subject",
       {},
       1,
       Envelope() + kData +
           StoredMessage(kSender, "Report Bcc: eve@pellworth.example To: x", kAddress, kUpLink,
                         kDownLink) +
           kEnd + kQuit,
       [](MonitorRecord& r) {
         CopyText(r.m_szSubject, "Report\rBcc: eve@pellworth.example\nTo: x");
       }},
      {"line break in the sender: no MAIL FROM",
       {},
       0,
       Helo() + kQuit,
       [](MonitorRecord& r) {
         CopyText(r.m_szFromAddress, "orlavo@pellworth.example>\r\nRCPT TO:<eve@pellworth.example");
       }},
      {"bare CR in the sender",
       {},
       0,
       Helo() + kQuit,
       [](MonitorRecord& r) { CopyText(r.m_szFromAddress, "orlavo@pellworth.example\rDATA"); }},
      {"bare LF in a recipient slot",
       {},
       0,
       Envelope(1) + kQuit,
       [](MonitorRecord& r) { CopyText(r.m_szMailTo[1], "bert@pellworth.example\nDATA"); }},
  });
}

TEST(ReportMail, TheWholeExchangeHasOneLimit) {
  // Every reply comes late, though well within the reply limit: with twenty
  // recipients the exchange would take 27 of them.
  constexpr auto kLate = 400ms;
  SmtpScript script{LateReply("220 ready\r\n", kLate),
                    {{"HELO", LateReply("250 Hello\r\n", kLate)},
                     {"MAIL", LateReply("250 Ok\r\n", kLate)},
                     {"RCPT", LateReply("250 Ok\r\n", kLate)},
                     {"DATA", LateReply("354 Go ahead\r\n", kLate)},
                     {".", LateReply("250 Queued\r\n", kLate)},
                     {"QUIT", LateReply("221 Bye\r\n", kLate)}}};
  CSmtpTestServer server(script);
  const auto record = ReportRecord("127.0.0.1");
  record->m_nMailCount = kMaxMailTo;
  SmtpOptions options;
  options.port = server.Port();
  options.connectTimeout = 1s;
  options.replyTimeout = 2s;
  options.sendTimeout = 2s;
  options.totalTimeout = 1500ms;

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SendReportMail(*record, options), 0);
  // Well below the 10.8 s the late replies alone would take, with room above
  // the limit for a loaded machine.
  EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
  // Closed at the limit, in the middle of the recipients: no DATA, no QUIT.
  const std::string received = server.Received();
  EXPECT_TRUE(received.starts_with(Helo() + Mail() + Rcpt(kSender))) << received;
  EXPECT_EQ(received.find(kData), std::string::npos) << received;
  EXPECT_EQ(received.find(kQuit), std::string::npos) << received;
}

TEST(ReportMail, FailsWhenTheConnectionIsRefused) {
  const auto record = ReportRecord("127.0.0.1");
  SmtpOptions options;
  options.port = UnusedLoopbackPort();
  EXPECT_EQ(SendReportMail(*record, options), 0);
}

TEST(ReportMail, GivesUpConnectingInTime) {
  // A listener whose queue is full drops further connection requests, so the
  // next connect hangs until the client gives up.
  CSocket listener;
  const int port = BindLoopbackSocket(listener);
  ListenOn(listener.Get(), 0);
  std::uint32_t loopback = 0;
  ASSERT_TRUE(ResolveIpv4("127.0.0.1", true, loopback));
  CSocket queued;
  queued.Reset(OpenStreamSocket());
  ASSERT_TRUE(queued.IsOpen());
  if (StartConnect(queued.Get(), loopback, port) != ESocketResult::kDone) {
    ASSERT_EQ(WaitSocket(queued.Get(), true, 5000), ESocketResult::kDone);
    ASSERT_TRUE(ConnectSucceeded(queued.Get()));
  }

  const auto record = ReportRecord("127.0.0.1");
  SmtpOptions options;
  options.port = port;
  options.connectTimeout = 300ms;
  EXPECT_EQ(SendReportMail(*record, options), 0);
}

}  // namespace
