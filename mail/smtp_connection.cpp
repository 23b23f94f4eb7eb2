#include "mail/smtp_connection.h"

#include <algorithm>
#include <climits>
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
  std::uint32_t address = 0;
  if (port < 1 || port > 65535 || !LookUpIpv4(host, deadline, address)) return false;

  // Non-blocking from the start, so that connecting can be given up in time.
  m_hSocket.Reset(OpenStreamSocket());
  if (!m_hSocket.IsOpen()) return false;
  const ESocketResult started = StartConnect(m_hSocket.Get(), address, port);
  if (started == ESocketResult::kDone) return true;
  // After an interruption the connection goes on in the background, as when
  // it would block.
  if (started == ESocketResult::kFailed || !Wait(true, deadline) ||
      !ConnectSucceeded(m_hSocket.Get())) {
    Close();
    return false;
  }
  return true;
}

bool CSmtpConnection::Send(std::string_view bytes, EFlush flush) {
  if (!m_hSocket.IsOpen()) return false;
  if (flush == EFlush::kMore) {
    m_sPending.append(bytes);
    return true;
  }
  if (m_sPending.empty()) return SendAll(bytes);
  m_sPending.append(bytes);
  const bool sent = SendAll(m_sPending);
  m_sPending.clear();
  return sent;
}

bool CSmtpConnection::SendAll(std::string_view bytes) {
  const auto deadline = std::min(Clock::now() + m_options.sendTimeout, m_exchangeDeadline);
  while (!bytes.empty()) {
    if (Clock::now() >= deadline) {
      Close();
      return false;
    }
    std::size_t n = 0;
    const ESocketResult sent = SendSome(m_hSocket.Get(), bytes.data(), bytes.size(), n);
    if (sent == ESocketResult::kDone && n > 0) {
      bytes.remove_prefix(n);
    } else if (sent == ESocketResult::kInterrupted) {
      continue;
    } else if (sent == ESocketResult::kWouldBlock) {
      if (!Wait(true, deadline)) {
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

bool CSmtpConnection::Wait(bool writable, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    const ESocketResult ready = WaitSocket(
        m_hSocket.Get(), writable, static_cast<int>(std::min<long long>(left.count(), INT_MAX)));
    // Errors and hang-ups count as ready: the call that follows reports them.
    if (ready == ESocketResult::kDone) return true;
    if (ready == ESocketResult::kFailed) return false;
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
    std::size_t n = 0;
    const ESocketResult received = ReceiveSome(m_hSocket.Get(), m_achInput, sizeof m_achInput, n);
    if (received == ESocketResult::kDone && n > 0) {
      m_nInputBegin = 0;
      m_nInputEnd = n;
      return true;
    }
    if (received == ESocketResult::kInterrupted) continue;
    if (received == ESocketResult::kWouldBlock) {
      if (!Wait(false, deadline)) {
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
  m_sPending.clear();
  m_nInputBegin = 0;
  m_nInputEnd = 0;
}
