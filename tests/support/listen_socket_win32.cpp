#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdexcept>

#include "tests/support/listen_socket.h"

namespace testing_support {

namespace {

SOCKET Native(SocketHandle socket) { return static_cast<SOCKET>(socket); }

}  // namespace

int BindLoopbackSocket(CSocket& socket) {
  const SOCKET bound =
      WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  if (bound == INVALID_SOCKET) throw std::runtime_error("socket failed");
  socket.Reset(static_cast<SocketHandle>(bound));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  if (bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(bound, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("bind failed");
  }
  return ntohs(address.sin_port);
}

SocketHandle BindSocketAt(bool datagram, const char* address, int port) {
  const SOCKET made =
      WSASocketW(AF_INET, datagram ? SOCK_DGRAM : SOCK_STREAM, datagram ? IPPROTO_UDP : IPPROTO_TCP,
                 nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  if (made == INVALID_SOCKET) return kNoSocket;
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<u_short>(port));
  // Wine refuses a second loopback address on a port already bound without it.
  const BOOL reuse = TRUE;
  setsockopt(made, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
  if (inet_pton(AF_INET, address, &where.sin_addr) != 1 ||
      bind(made, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
    closesocket(made);
    return kNoSocket;
  }
  return static_cast<SocketHandle>(made);
}

void ListenOn(SocketHandle socket, int backlog) {
  if (listen(Native(socket), backlog) != 0) throw std::runtime_error("listen failed");
}

SocketHandle AcceptConnection(SocketHandle listener) {
  const SOCKET client = accept(Native(listener), nullptr, nullptr);
  return client == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(client);
}

void ResetOnClose(SocketHandle socket) {
  linger option{1, 0};
  setsockopt(Native(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&option),
             sizeof option);
}

// Wine shows the Linux root as drive Z:.
const char* ResolverConfiguration() { return "Z:/etc/resolv.conf"; }

}  // namespace testing_support
