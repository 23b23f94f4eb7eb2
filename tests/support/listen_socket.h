#pragma once

#include "mail/socket_io.h"

// The server side of the test servers' sockets, which the product's socket
// layer (mail/socket_io.h) lacks: POSIX sockets in listen_socket_posix.cpp,
// Windows Sockets in listen_socket_win32.cpp. Sockets made here block; the
// product's calls read, write and wait on them.
namespace testing_support {

// Makes socket own a new socket bound to 127.0.0.1 on a free port and
// returns that port; throws when none can be made.
int BindLoopbackSocket(CSocket& socket);

// A new socket, UDP when datagram, else TCP, bound to address (IPv4, dotted)
// and port; kNoSocket when it cannot be made.
SocketHandle BindSocketAt(bool datagram, const char* address, int port);

// Lets the bound socket take connections, at most backlog waiting.
void ListenOn(SocketHandle socket, int backlog);

// The next waiting connection, or kNoSocket.
SocketHandle AcceptConnection(SocketHandle listener);

// Makes the coming close a reset instead of an orderly end.
void ResetOnClose(SocketHandle socket);

// The path of the system's resolver configuration, which names the name
// servers: /etc/resolv.conf, which Wine's name lookups read too.
const char* ResolverConfiguration();

}  // namespace testing_support
