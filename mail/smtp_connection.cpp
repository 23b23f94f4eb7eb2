#include "mail/smtp_connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>

#include "mail/name_lookup.h"

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

bool CSmtpConnection::Connect(std::string_view host) {
  const int port = m_options.port;
  Close();
  m_bInputEnded = false;
  const auto start = Clock::now();
  m_exchangeDeadline = start + m_options.totalTimeout;
  // The name lookup counts towards connecting.
  const auto deadline = std::min(start + m_options.connectTimeout, m_exchangeDeadline);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  if (port < 1 || port > 65535 || !LookUpIpv4(host, deadline, address.sin_addr)) return false;
  address.sin_port = htons(static_cast<std::uint16_t>(port));

  // Non-blocking from the start, so that connecting can be given up in time.
  m_hSocket.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!m_hSocket.IsOpen()) return false;
  if (::connect(m_hSocket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
      0) {
    return true;
  }
  // After EINTR the connection goes on in the background, as after EINPROGRESS.
  if ((errno != EINPROGRESS && errno != EINTR) || !Wait(POLLOUT, deadline)) {
    Close();
    return false;
  }
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(m_hSocket.Get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
    Close();
    return false;
  }
  return true;
}

bool CSmtpConnection::Send(std::string_view bytes, Flush flush) {
  if (!m_hSocket.IsOpen()) return false;
  const auto deadline = std::min(Clock::now() + m_options.sendTimeout, m_exchangeDeadline);
  const int flags = MSG_NOSIGNAL | (flush == Flush::kMore ? MSG_MORE : 0);
  while (!bytes.empty()) {
    if (Clock::now() >= deadline) {
      Close();
      return false;
    }
    const ssize_t n = ::send(m_hSocket.Get(), bytes.data(), bytes.size(), flags);
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!Wait(POLLOUT, deadline)) {
        Close();
        return false;
      }
    } else {
      // The server is gone; later sends fail the same way, at once.
      return false;
    }
  }
  return true;
}

bool CSmtpConnection::ReadReply(char (&reply)[kSmtpReplySize]) {
  std::memset(reply, 0, sizeof reply);
  const auto deadline = std::min(Clock::now() + m_options.replyTimeout, m_exchangeDeadline);
  std::size_t stored = 0;
  std::size_t column = 0;
  bool continued = false;
  for (;;) {
    if (m_nInputBegin == m_nInputEnd && !Fill(deadline)) {
      std::memset(reply, 0, sizeof reply);
      return false;
    }
    const char byte = m_achInput[m_nInputBegin++];
    if (stored < sizeof reply) reply[stored++] = byte;
    // "250-" announces another line of the same reply, "250 " its last.
    if (column == 3) continued = byte == '-';
    ++column;
    if (byte == '\n') {
      if (!continued) return true;
      column = 0;
      continued = false;
    }
  }
}

bool CSmtpConnection::Wait(short events, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd item{m_hSocket.Get(), events, 0};
    const int ready =
        ::poll(&item, 1, static_cast<int>(std::min<long long>(left.count(), INT_MAX)));
    // Errors and hang-ups count as ready: the call that follows reports them.
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

bool CSmtpConnection::Fill(Clock::time_point deadline) {
  if (!m_hSocket.IsOpen() || m_bInputEnded) return false;
  for (;;) {
    // Checked before every read, so that a server that never stops talking
    // cannot stretch one reply beyond its limit either.
    if (Clock::now() >= deadline) {
      Close();
      return false;
    }
    const ssize_t n = ::recv(m_hSocket.Get(), m_achInput, sizeof m_achInput, 0);
    if (n > 0) {
      m_nInputBegin = 0;
      m_nInputEnd = static_cast<std::size_t>(n);
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!Wait(POLLIN, deadline)) {
        Close();
        return false;
      }
      continue;
    }
    // Closed by the server, or reset: nothing more will arrive.
    m_bInputEnded = true;
    return false;
  }
}

void CSmtpConnection::Close() {
  m_hSocket.Reset();
  m_nInputBegin = 0;
  m_nInputEnd = 0;
}
