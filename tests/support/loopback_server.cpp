#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <utility>

namespace testing_support {

namespace {

constexpr auto kPollSlice = 20ms;

CUniqueFd BoundLoopbackSocket() {
  CUniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (fd.Get() < 0) throw std::runtime_error("socket failed");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    throw std::runtime_error("bind failed");
  }
  return fd;
}

int LocalPort(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

int PollSlice(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return static_cast<int>(
      std::max(0ms, std::min(left, std::chrono::milliseconds(kPollSlice))).count());
}

}  // namespace

bool Connection::Fill(std::chrono::steady_clock::time_point deadline) {
  while (m_fd.Get() >= 0 && !m_peerClosed && !m_stopping.load()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    pollfd item{m_fd.Get(), POLLIN, 0};
    const int ready = ::poll(&item, 1, PollSlice(deadline));
    if (ready < 0 && errno != EINTR) return false;
    if (ready <= 0) continue;
    char chunk[4096];
    const ssize_t n = ::recv(m_fd.Get(), chunk, sizeof chunk, 0);
    if (n <= 0) {
      m_peerClosed = true;
      return false;
    }
    m_buffer.append(chunk, static_cast<std::size_t>(n));
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
    const ssize_t n = ::send(m_fd.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
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
  if (m_fd.Get() < 0) return;
  linger option{1, 0};
  ::setsockopt(m_fd.Get(), SOL_SOCKET, SO_LINGER, &option, sizeof option);
  m_fd.Reset();
}

LoopbackServer::LoopbackServer(Handler handler)
    : m_handler(std::move(handler)), m_listener(BoundLoopbackSocket()) {
  if (::listen(m_listener.Get(), 16) != 0) throw std::runtime_error("listen failed");
  m_port = LocalPort(m_listener.Get());
  m_thread = std::thread([this] { Run(); });
}

LoopbackServer::~LoopbackServer() {
  m_stopping = true;
  m_thread.join();
}

void LoopbackServer::Run() {
  while (!m_stopping.load()) {
    pollfd item{m_listener.Get(), POLLIN, 0};
    if (::poll(&item, 1, static_cast<int>(kPollSlice.count())) <= 0) continue;
    CUniqueFd client(::accept4(m_listener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (client.Get() < 0) continue;
    ++m_accepted;
    Connection connection(std::move(client), m_stopping);
    m_handler(connection);
  }
}

int UnusedLoopbackPort() {
  // Bound but never listening: the port stays taken, so no other test can
  // start listening on it while this one expects a refusal.
  static CUniqueFd reserved = BoundLoopbackSocket();
  return LocalPort(reserved.Get());
}

}  // namespace testing_support
