#include <winsock2.h>

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

}  // namespace testing_support
