#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "mail/socket_io.h"

namespace testing_support {

using namespace std::chrono_literals;

// One accepted connection, as the server's handler sees it. Every read waits
// at most its time-out and returns early when the server is being stopped.
class Connection {
 public:
  Connection(SocketHandle socket, const std::atomic<bool>& stopping) : m_stopping(stopping) {
    m_socket.Reset(socket);
  }

  // Whatever arrives next (buffered bytes first); empty on close or time-out.
  std::string ReadSome(std::chrono::milliseconds timeout = 5s);
  // Everything up to and including the first delimiter; what arrived when the
  // peer closed or the time ran out if the delimiter never came.
  std::string ReadUntil(std::string_view delimiter, std::chrono::milliseconds timeout = 5s);
  // Sends all bytes; false when the peer is gone.
  bool Write(std::string_view bytes);
  // Waits until the peer closes or the server stops, reading and dropping.
  void HoldUntilClosed(std::chrono::milliseconds timeout = 60s);
  void Close() { m_socket.Reset(); }
  // Closes with a reset instead of an orderly end.
  void Abort();
  // True once the peer has closed its side.
  bool PeerClosed() const { return m_peerClosed; }

 private:
  bool Fill(std::chrono::steady_clock::time_point deadline);

  CSocket m_socket;
  const std::atomic<bool>& m_stopping;
  std::string m_buffer;
  bool m_peerClosed = false;
};

// A TCP server on 127.0.0.1 and a free port, for one test. Accepted
// connections are handed to the handler on the server's own thread, one after
// another. The destructor stops the server and joins its thread.
class LoopbackServer {
 public:
  using Handler = std::function<void(Connection&)>;

  explicit LoopbackServer(Handler handler);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int Port() const { return m_port; }
  int AcceptedConnections() const { return m_accepted.load(); }

 private:
  void Run();

  Handler m_handler;
  CSocket m_listener;
  int m_port = 0;
  std::atomic<bool> m_stopping{false};
  std::atomic<int> m_accepted{0};
  std::thread m_thread;
};

// A loopback port on which nothing listens: connecting to it is refused.
int UnusedLoopbackPort();

}  // namespace testing_support
