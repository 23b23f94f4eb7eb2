// POSIX sockets for the SMTP connection.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "mail/socket_io.h"

namespace {

int Native(SocketHandle socket) { return static_cast<int>(socket); }

ESocketResult Failure() {
  switch (errno) {
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EINPROGRESS:
      return ESocketResult::kWouldBlock;
    case EINTR:
      // After EINTR a connection goes on in the background, as after
      // EINPROGRESS; the callers treat both alike.
      return ESocketResult::kInterrupted;
    default:
      return ESocketResult::kFailed;
  }
}

struct AddrInfoFree {
  void operator()(addrinfo* answer) const { ::freeaddrinfo(answer); }
};

}  // namespace

// Sockets need no start-up here.
bool StartSockets() { return true; }
void StopSockets() {}

bool ResolveIpv4(const char* szHost, bool numericOnly, std::uint32_t& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = numericOnly ? AI_NUMERICHOST : 0;
  addrinfo* first = nullptr;
  if (::getaddrinfo(szHost, nullptr, &hints, &first) != 0) return false;
  const std::unique_ptr<addrinfo, AddrInfoFree> answer(first);
  if (answer == nullptr || answer->ai_addr == nullptr ||
      answer->ai_addrlen < static_cast<socklen_t>(sizeof(sockaddr_in))) {
    return false;
  }
  sockaddr_in found{};
  std::memcpy(&found, answer->ai_addr, sizeof found);
  address = found.sin_addr.s_addr;
  return true;
}

SocketHandle OpenStreamSocket() {
  const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  return socket < 0 ? kNoSocket : socket;
}

void CloseSocket(SocketHandle socket) { ::close(Native(socket)); }

ESocketResult StartConnect(SocketHandle socket, std::uint32_t address, int port) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = address;
  target.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::connect(Native(socket), reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
    return ESocketResult::kDone;
  }
  return Failure();
}

bool ConnectSucceeded(SocketHandle socket) {
  int error = 0;
  socklen_t length = sizeof error;
  return ::getsockopt(Native(socket), SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

ESocketResult SendSome(SocketHandle socket, const char* data, std::size_t size,
                       std::size_t& count) {
  const ssize_t n = ::send(Native(socket), data, size, MSG_NOSIGNAL);
  if (n < 0) return Failure();
  count = static_cast<std::size_t>(n);
  return ESocketResult::kDone;
}

ESocketResult ReceiveSome(SocketHandle socket, char* data, std::size_t size, std::size_t& count) {
  const ssize_t n = ::recv(Native(socket), data, size, 0);
  if (n < 0) return Failure();
  count = static_cast<std::size_t>(n);
  return ESocketResult::kDone;
}

ESocketResult WaitSocket(SocketHandle socket, bool writable, int milliseconds) {
  pollfd item{Native(socket), static_cast<short>(writable ? POLLOUT : POLLIN), 0};
  const int ready = ::poll(&item, 1, milliseconds);
  if (ready < 0) return Failure();
  return ready > 0 ? ESocketResult::kDone : ESocketResult::kWouldBlock;
}
