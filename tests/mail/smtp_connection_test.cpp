#include "mail/smtp_connection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>

#include "tests/support/loopback_server.h"

namespace {

using namespace testing_support;

// Waits of 5 s unless a test needs another.
SmtpOptions Options(int port, std::chrono::milliseconds sendTimeout = 5s,
                    std::chrono::milliseconds connectTimeout = 5s) {
  SmtpOptions options;
  options.port = port;
  options.connectTimeout = connectTimeout;
  options.replyTimeout = 5s;
  options.sendTimeout = sendTimeout;
  return options;
}

std::string Text(const char (&reply)[kSmtpReplySize], std::size_t size = kSmtpReplySize) {
  return std::string(reply, size);
}

TEST(SmtpConnection, KeepsTheStartOfALongReplyAndDropsTheRest) {
  const std::string longReply = "250-" + std::string(1500, 'x') + "\r\n250 Ok\r\n";
  LoopbackServer server([&](Connection& connection) {
    connection.Write(longReply + "354 Next\r\n");
    connection.HoldUntilClosed(10s);
  });
  CSmtpConnection connection(Options(server.Port()));
  ASSERT_TRUE(connection.Connect("127.0.0.1"));
  char reply[kSmtpReplySize];

  ASSERT_TRUE(connection.ReadReply(reply));
  EXPECT_EQ(Text(reply), longReply.substr(0, kSmtpReplySize));
  ASSERT_TRUE(connection.ReadReply(reply));
  EXPECT_EQ(Text(reply), "354 Next\r\n" + std::string(kSmtpReplySize - 10, '\0'));
}

TEST(SmtpConnection, AReplyCutOffByTheServerCountsAsNone) {
  LoopbackServer server([](Connection& connection) { connection.Write("250-First\r\n250 Sec"); });
  CSmtpConnection connection(Options(server.Port()));
  ASSERT_TRUE(connection.Connect("127.0.0.1"));
  char reply[kSmtpReplySize];

  EXPECT_FALSE(connection.ReadReply(reply));
  EXPECT_EQ(Text(reply), std::string(kSmtpReplySize, '\0'));
  EXPECT_FALSE(connection.ReadReply(reply));
}

TEST(SmtpConnection, ContinuesASendUntilEveryByteIsOut) {
  // Far more than the socket buffers hold, so single send calls take part.
  // Under Wine on a busy machine these pass at 2 MB/s: the send limit is
  // wide, since what is tested is that the send goes on, not how fast.
  const std::string bytes(16 << 20, 'd');
  std::promise<std::size_t> received;
  LoopbackServer server([&](Connection& connection) {
    std::size_t total = 0;
    for (int i = 0; i < 100'000 && !connection.PeerClosed(); ++i) {
      total += connection.ReadSome(1s).size();
    }
    received.set_value(total);
  });
  {
    CSmtpConnection connection(Options(server.Port(), 60s));
    ASSERT_TRUE(connection.Connect("127.0.0.1"));
    EXPECT_TRUE(connection.Send(bytes));
  }
  auto total = received.get_future();
  ASSERT_EQ(total.wait_for(90s), std::future_status::ready);
  EXPECT_EQ(total.get(), bytes.size());
}

TEST(SmtpConnection, HeldBackLinesLeaveTogetherWithTheNextFlush) {
  std::promise<void> heldBack;
  std::promise<std::string> beforeFlush;
  std::promise<std::string> afterFlush;
  LoopbackServer server([&](Connection& connection) {
    heldBack.get_future().wait_for(10s);
    beforeFlush.set_value(connection.ReadSome(300ms));
    afterFlush.set_value(connection.ReadUntil("\r\n.\r\n"));
  });
  CSmtpConnection connection(Options(server.Port()));
  ASSERT_TRUE(connection.Connect("127.0.0.1"));

  EXPECT_TRUE(connection.Send("Subject: a\r\n", CSmtpConnection::EFlush::kMore));
  EXPECT_TRUE(connection.Send("\r\nbody\r\n", CSmtpConnection::EFlush::kMore));
  heldBack.set_value();
  auto before = beforeFlush.get_future();
  ASSERT_EQ(before.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(before.get(), "");

  EXPECT_TRUE(connection.Send(".\r\n"));
  auto after = afterFlush.get_future();
  ASSERT_EQ(after.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(after.get(), "Subject: a\r\n\r\nbody\r\n.\r\n");
}

TEST(SmtpConnection, GivesUpASendWhenTheServerStopsReading) {
  std::atomic<bool> release{false};
  LoopbackServer server([&](Connection&) {
    for (int i = 0; i < 500 && !release.load(); ++i) std::this_thread::sleep_for(20ms);
  });
  CSmtpConnection connection(Options(server.Port(), 300ms));
  ASSERT_TRUE(connection.Connect("127.0.0.1"));

  EXPECT_FALSE(connection.Send(std::string(64 << 20, 'd')));
  // The connection is dropped after a time-out: nothing more goes out.
  EXPECT_FALSE(connection.Send("QUIT\r\n"));
  release = true;
}

TEST(SmtpConnection, ResolvesOnlyWhatItCan) {
  EXPECT_FALSE(CSmtpConnection(Options(UnusedLoopbackPort(), 5s, 1s)).Connect(""));
  EXPECT_FALSE(CSmtpConnection(Options(0, 5s, 1s)).Connect("127.0.0.1"));
  EXPECT_FALSE(CSmtpConnection(Options(65536, 5s, 1s)).Connect("127.0.0.1"));
}

}  // namespace
