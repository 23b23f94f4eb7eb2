// Windows Sockets for the SMTP connection.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "mail/socket_io.h"

namespace {

SOCKET Native(SocketHandle socket) { return static_cast<SOCKET>(socket); }

ESocketResult Failure() {
  switch (WSAGetLastError()) {
    case WSAEWOULDBLOCK:
    case WSAEINPROGRESS:
      return ESocketResult::kWouldBlock;
    case WSAEINTR:
      return ESocketResult::kInterrupted;
    default:
      return ESocketResult::kFailed;
  }
}

struct AddrInfoFree {
  void operator()(addrinfo* answer) const { freeaddrinfo(answer); }
};

}  // namespace

bool StartSockets() {
  // Test seam: with ORLAVO_TEST_REFUSE_SOCKETS set, the program asks for
  // version 0.0, which no Windows Sockets supports, so that its test sees
  // the start-up failure a broken system would give.
  const WORD version = std::getenv("ORLAVO_TEST_REFUSE_SOCKETS") != nullptr ? 0 : MAKEWORD(2, 2);
  WSADATA data{};
  if (WSAStartup(version, &data) != 0) return false;
  if (data.wVersion == MAKEWORD(2, 2)) return true;
  WSACleanup();
  return false;
}

void StopSockets() { WSACleanup(); }

bool ResolveIpv4(const char* szHost, bool numericOnly, std::uint32_t& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = numericOnly ? AI_NUMERICHOST : 0;
  addrinfo* first = nullptr;
  if (getaddrinfo(szHost, nullptr, &hints, &first) != 0) return false;
  const std::unique_ptr<addrinfo, AddrInfoFree> answer(first);
  if (answer == nullptr || answer->ai_addr == nullptr || answer->ai_addrlen < sizeof(sockaddr_in)) {
    return false;
  }
  sockaddr_in found{};
  std::memcpy(&found, answer->ai_addr, sizeof found);
  address = found.sin_addr.s_addr;
  return true;
}

SocketHandle OpenStreamSocket() {
  // Not inheritable by default when created this way.
  const SOCKET socket =
      WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  if (socket == INVALID_SOCKET) return kNoSocket;
  u_long nonBlocking = 1;
  if (ioctlsocket(socket, FIONBIO, &nonBlocking) != 0) {
    closesocket(socket);
    return kNoSocket;
  }
  return static_cast<SocketHandle>(socket);
}

ESocketResult StartConnect(SocketHandle socket, std::uint32_t address, int port) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = address;
  target.sin_port = htons(static_cast<u_short>(port));
  if (connect(Native(socket), reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
    return ESocketResult::kDone;
  }
  return Failure();
}

bool ConnectSucceeded(SocketHandle socket) {
  int error = 0;
  int length = sizeof error;
  return getsockopt(Native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                    &length) == 0 &&
         error == 0;
}

ESocketResult SendSome(SocketHandle socket, const char* data, std::size_t size,
                       std::size_t& count) {
  const int n =
      send(Native(socket), data, static_cast<int>(std::min<std::size_t>(size, 1 << 20)), 0);
  if (n == SOCKET_ERROR) return Failure();
  count = static_cast<std::size_t>(n);
  return ESocketResult::kDone;
}

ESocketResult ReceiveSome(SocketHandle socket, char* data, std::size_t size, std::size_t& count) {
  const int n =
      recv(Native(socket), data, static_cast<int>(std::min<std::size_t>(size, 1 << 20)), 0);
  if (n == SOCKET_ERROR) return Failure();
  count = static_cast<std::size_t>(n);
  return ESocketResult::kDone;
}

ESocketResult WaitSocket(SocketHandle socket, bool writable, int milliseconds) {
  // select rather than WSAPoll: WSAPoll misses failed connections.
  fd_set ready;
  FD_ZERO(&ready);
  FD_SET(Native(socket), &ready);
  fd_set failed = ready;
  timeval limit{milliseconds / 1000, (milliseconds % 1000) * 1000};
  const int n =
      select(0, writable ? nullptr : &ready, writable ? &ready : nullptr, &failed, &limit);
  if (n == SOCKET_ERROR) return Failure();
  return n > 0 ? ESocketResult::kDone : ESocketResult::kWouldBlock;
}

void CloseSocket(SocketHandle socket) { closesocket(Native(socket)); }
