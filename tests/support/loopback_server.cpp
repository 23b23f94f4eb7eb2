#include "tests/support/loopback_server.h"

#include <algorithm>
#include <utility>

#include "tests/support/listen_socket.h"

namespace testing_support {

namespace {

constexpr auto kPollSlice = 20ms;

int PollSlice(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return static_cast<int>(
      std::max(0ms, std::min(left, std::chrono::milliseconds(kPollSlice))).count());
}

}  // namespace

bool Connection::Fill(std::chrono::steady_clock::time_point deadline) {
  while (m_socket.IsOpen() && !m_peerClosed && !m_stopping.load()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    const ESocketResult ready = WaitSocket(m_socket.Get(), false, PollSlice(deadline));
    if (ready == ESocketResult::kFailed) return false;
    if (ready != ESocketResult::kDone) continue;
    char chunk[4096];
    std::size_t n = 0;
    const ESocketResult received = ReceiveSome(m_socket.Get(), chunk, sizeof chunk, n);
    if (received == ESocketResult::kInterrupted) continue;
    if (received != ESocketResult::kDone || n == 0) {
      m_peerClosed = true;
      return false;
    }
    m_buffer.append(chunk, n);
    return true;
  }
  return false;
}

std::string Connection::ReadSome(std::chrono::milliseconds timeout) {
  if (m_buffer.empty()) Fill(std::chrono::steady_clock::now() + timeout);
  return std::exchange(m_buffer, {});
}

std::string Connection::ReadUntil(std::string_view delimiter, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::size_t found;
  while ((found = m_buffer.find(delimiter)) == std::string::npos) {
    if (!Fill(deadline)) return std::exchange(m_buffer, {});
  }
  std::string head = m_buffer.substr(0, found + delimiter.size());
  m_buffer.erase(0, found + delimiter.size());
  return head;
}

bool Connection::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    std::size_t n = 0;
    const ESocketResult sent = SendSome(m_socket.Get(), bytes.data(), bytes.size(), n);
    if (sent == ESocketResult::kInterrupted) continue;
    if (sent != ESocketResult::kDone || n == 0) return false;
    bytes.remove_prefix(n);
  }
  return true;
}

void Connection::HoldUntilClosed(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!m_peerClosed && !m_stopping.load() && std::chrono::steady_clock::now() < deadline) {
    Fill(deadline);
    m_buffer.clear();
  }
}

void Connection::Abort() {
  if (!m_socket.IsOpen()) return;
  ResetOnClose(m_socket.Get());
  m_socket.Reset();
}

LoopbackServer::LoopbackServer(Handler handler)
    : m_handler(std::move(handler)), m_port(BindLoopbackSocket(m_listener)) {
  ListenOn(m_listener.Get(), 16);
  m_thread = std::thread([this] { Run(); });
}

LoopbackServer::~LoopbackServer() {
  m_stopping = true;
  m_thread.join();
}

void LoopbackServer::Run() {
  while (!m_stopping.load()) {
    const auto slice = static_cast<int>(kPollSlice.count());
    if (WaitSocket(m_listener.Get(), false, slice) != ESocketResult::kDone) continue;
    const SocketHandle client = AcceptConnection(m_listener.Get());
    if (client == kNoSocket) continue;
    ++m_accepted;
    Connection connection(client, m_stopping);
    m_handler(connection);
  }
}

int UnusedLoopbackPort() {
  // Bound but never listening: the port stays taken, so no other test can
  // start listening on it while this one expects a refusal.
  static CSocket reserved;
  static const int port = BindLoopbackSocket(reserved);
  return port;
}

}  // namespace testing_support
