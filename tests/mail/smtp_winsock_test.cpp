// The SMTP connection over Windows Sockets, against servers on loopback that
// the tests run themselves.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "mail/smtp_connection.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A socket bound to 127.0.0.1 on a free port.
SOCKET BoundLoopbackSocket(int& port) {
  const SOCKET bound = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(bound, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return bound;
}

// Serves one client on 127.0.0.1 from a thread of its own, then closes it.
class CLoopbackServer {
 public:
  explicit CLoopbackServer(std::function<void(SOCKET)> serve)
      : m_listener(BoundLoopbackSocket(m_port)) {
    listen(m_listener, 4);
    m_thread = std::thread([this, serve] {
      const SOCKET client = accept(m_listener, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      serve(client);
      closesocket(client);
    });
  }
  CLoopbackServer(const CLoopbackServer&) = delete;
  CLoopbackServer& operator=(const CLoopbackServer&) = delete;
  ~CLoopbackServer() {
    // Also ends a thread that still waits for its client.
    closesocket(m_listener);
    Join();
  }

  int Port() const { return m_port; }
  void Join() {
    if (m_thread.joinable()) m_thread.join();
  }

 private:
  int m_port = 0;
  SOCKET m_listener;
  std::thread m_thread;
};

void SendText(SOCKET client, const std::string& text) {
  send(client, text.data(), static_cast<int>(text.size()), 0);
}

// Everything up to the first "\r\n", or up to the peer's close.
std::string ReceiveLine(SOCKET client) {
  std::string line;
  char byte = 0;
  while (!line.ends_with("\r\n") && recv(client, &byte, 1, 0) == 1) line += byte;
  return line;
}

// Reads until the peer closes.
void HoldUntilClosed(SOCKET client) {
  char byte = 0;
  while (recv(client, &byte, 1, 0) == 1) {
  }
}

SmtpOptions Options(int port, std::chrono::milliseconds replyTimeout = 5s) {
  SmtpOptions options;
  options.port = port;
  options.connectTimeout = 5s;
  options.replyTimeout = replyTimeout;
  options.sendTimeout = 5s;
  return options;
}

TEST(SmtpWinsock, ReadsAReplySplitAcrossPacketsAndSendsACommand) {
  std::string received;
  CLoopbackServer server([&](SOCKET client) {
    SendText(client, "250-first li");
    std::this_thread::sleep_for(50ms);
    SendText(client, "ne\r\n250 last\r\n");
    received = ReceiveLine(client);
  });
  {
    CSmtpConnection connection(Options(server.Port()));
    ASSERT_TRUE(connection.Connect("localhost"));
    char reply[kSmtpReplySize];
    ASSERT_TRUE(connection.ReadReply(reply));
    EXPECT_STREQ(reply, "250-first line\r\n250 last\r\n");
    EXPECT_TRUE(connection.Send("HELO 127.0.0.1\r\n"));
  }
  server.Join();
  EXPECT_EQ(received, "HELO 127.0.0.1\r\n");
}

TEST(SmtpWinsock, ConnectingWhereNobodyListensFails) {
  int port = 0;
  // Bound, never listening: the port stays taken and refuses.
  const SOCKET reserved = BoundLoopbackSocket(port);
  CSmtpConnection connection(Options(port));
  EXPECT_FALSE(connection.Connect("127.0.0.1"));
  closesocket(reserved);
}

TEST(SmtpWinsock, ASilentServerRunsTheReplyOutOfTime) {
  CLoopbackServer server(HoldUntilClosed);
  CSmtpConnection connection(Options(server.Port(), 300ms));
  ASSERT_TRUE(connection.Connect("127.0.0.1"));
  char reply[kSmtpReplySize];
  const auto start = Clock::now();
  EXPECT_FALSE(connection.ReadReply(reply));
  EXPECT_LT(Clock::now() - start, 10s);
  EXPECT_EQ(reply[0], '\0');
}

TEST(SmtpWinsock, AServerThatClosesMidReplyEndsTheRead) {
  CLoopbackServer server([](SOCKET client) { SendText(client, "250 half"); });
  CSmtpConnection connection(Options(server.Port()));
  ASSERT_TRUE(connection.Connect("127.0.0.1"));
  char reply[kSmtpReplySize];
  EXPECT_FALSE(connection.ReadReply(reply));
  EXPECT_EQ(reply[0], '\0');
}

TEST(SmtpWinsock, TheWholeExchangeEndsAtItsOverallLimit) {
  // Every line on time, the reply never finished: only the overall limit
  // ends it. At most 100 lines, so the server ends by itself too.
  CLoopbackServer server([](SOCKET client) {
    for (int i = 0; i < 100; ++i) {
      SendText(client, "250-still talking\r\n");
      std::this_thread::sleep_for(50ms);
    }
  });
  SmtpOptions options = Options(server.Port());
  options.totalTimeout = 500ms;
  CSmtpConnection connection(options);
  ASSERT_TRUE(connection.Connect("127.0.0.1"));
  char reply[kSmtpReplySize];
  const auto start = Clock::now();
  EXPECT_FALSE(connection.ReadReply(reply));
  EXPECT_LT(Clock::now() - start, 4s);
  EXPECT_FALSE(connection.Send("QUIT\r\n"));
}

}  // namespace
