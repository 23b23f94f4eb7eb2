#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <stdexcept>

#include "tests/support/listen_socket.h"

namespace testing_support {

namespace {

int Native(SocketHandle socket) { return static_cast<int>(socket); }

}  // namespace

int BindLoopbackSocket(CSocket& socket) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket failed");
  socket.Reset(fd);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("bind failed");
  }
  return ntohs(address.sin_port);
}

SocketHandle BindSocketAt(bool datagram, const char* address, int port) {
  const int fd = ::socket(AF_INET, (datagram ? SOCK_DGRAM : SOCK_STREAM) | SOCK_CLOEXEC, 0);
  if (fd < 0) return kNoSocket;
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::inet_pton(AF_INET, address, &where.sin_addr) != 1 ||
      ::bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
    CloseSocket(fd);
    return kNoSocket;
  }
  return fd;
}

void ListenOn(SocketHandle socket, int backlog) {
  if (::listen(Native(socket), backlog) != 0) throw std::runtime_error("listen failed");
}

SocketHandle AcceptConnection(SocketHandle listener) {
  const int client = ::accept4(Native(listener), nullptr, nullptr, SOCK_CLOEXEC);
  return client < 0 ? kNoSocket : client;
}

void ResetOnClose(SocketHandle socket) {
  linger option{1, 0};
  ::setsockopt(Native(socket), SOL_SOCKET, SO_LINGER, &option, sizeof option);
}

const char* ResolverConfiguration() { return "/etc/resolv.conf"; }

}  // namespace testing_support
