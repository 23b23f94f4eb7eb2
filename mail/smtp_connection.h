#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "mail/socket_io.h"

struct SmtpOptions {
  int port = 25;
  // Name lookup plus connecting.
  std::chrono::milliseconds connectTimeout{10'000};
  std::chrono::milliseconds replyTimeout{30'000};
  std::chrono::milliseconds sendTimeout{30'000};
  // Everything from the name lookup to the reply to QUIT.
  std::chrono::milliseconds totalTimeout{60'000};
};

// Replies keep at most this many bytes; the rest of a longer reply is dropped.
inline constexpr std::size_t kSmtpReplySize = 1024;

// One IPv4 TCP connection to an SMTP server, owned for the length of one
// exchange and closed by the destructor. Every wait is bounded: the name
// lookup and connecting by the connect limit, each reply and each send by
// theirs, and all of it, from the start of Connect on, by the total limit.
// After a time-out the connection is closed at once, so a late answer can
// never be taken for the reply to a later command and the remaining steps
// cost no further waiting. Nothing here raises a signal or throws.
class CSmtpConnection {
 public:
  explicit CSmtpConnection(const SmtpOptions& options) : m_options(options) {}
  ~CSmtpConnection() { Close(); }
  CSmtpConnection(const CSmtpConnection&) = delete;
  CSmtpConnection& operator=(const CSmtpConnection&) = delete;

  // Looks up host (IPv4 only, first address) and connects to the options'
  // port within their connect limit, and starts their total limit. False
  // when the name does not resolve in time or the connection fails.
  bool Connect(std::string_view host);

  // kMore keeps the bytes here until a send with kNow follows, so that lines
  // that get no reply of their own leave in one send instead of the last of
  // them waiting for the server's delayed acknowledgement. Gathered here
  // rather than in the kernel because only some platforms can hold a send.
  enum class EFlush { kNow, kMore };

  // Sends every byte of bytes, after those kept back, continuing partial
  // sends. False when the connection failed or the time ran out (the
  // connection is then closed); with kMore, false only when it is closed.
  bool Send(std::string_view bytes, EFlush flush = EFlush::kNow);

  // Reads exactly one complete reply, single or multi-line, however it is
  // split. The buffer is zeroed first and then holds the reply's first
  // kSmtpReplySize bytes. False, with the buffer left all zero, when no
  // complete reply arrived: the server closed, the read failed or timed out.
  bool ReadReply(char (&reply)[kSmtpReplySize]);

 private:
  // Waits until the socket is readable, or writable, or the deadline passes.
  bool Wait(bool writable, std::chrono::steady_clock::time_point deadline);
  // Refills the input buffer; false on end, failure or time-out.
  bool Fill(std::chrono::steady_clock::time_point deadline);
  bool SendAll(std::string_view bytes);
  void Close();

  CSocket m_hSocket;
  SmtpOptions m_options;
  std::chrono::steady_clock::time_point m_exchangeDeadline;
  // Bytes of kMore sends, waiting for the next kNow.
  std::string m_sPending;
  // Bytes received but not yet consumed by a reply.
  char m_achInput[kSmtpReplySize] = {};
  std::size_t m_nInputBegin = 0;
  std::size_t m_nInputEnd = 0;
  bool m_bInputEnded = false;
};
