#pragma once

#include <cstddef>
#include <cstdint>

// The platform's sockets as the SMTP connection uses them: non-blocking IPv4
// TCP. POSIX sockets in socket_io_posix.cpp, Windows Sockets in
// socket_io_win32.cpp; the build picks one. Nothing here raises a signal or
// throws.

// A socket as the platform hands it out; kNoSocket is none.
using SocketHandle = std::intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// How a call on a non-blocking socket ended.
enum class ESocketResult { kDone, kWouldBlock, kInterrupted, kFailed };

// Makes sockets usable for the whole process, once at start-up; false when
// the platform's socket subsystem cannot be started.
bool StartSockets();
void StopSockets();

// The first IPv4 address of szHost, in network byte order; false when none.
// With numericOnly only a numeric address is taken and no name service is
// asked. A name service may take minutes: mail/name_lookup.h bounds it.
bool ResolveIpv4(const char* szHost, bool numericOnly, std::uint32_t& address);

// A new non-blocking TCP socket that no child process inherits.
SocketHandle OpenStreamSocket();
void CloseSocket(SocketHandle socket);

// Starts connecting to address (network byte order) and port: kDone when
// connected at once, kWouldBlock while the connection is under way.
ESocketResult StartConnect(SocketHandle socket, std::uint32_t address, int port);

// After a connection under way became writable: whether it succeeded.
bool ConnectSucceeded(SocketHandle socket);

// Sends or receives up to size bytes; on kDone, count says how many (0 from
// ReceiveSome: the peer has closed).
ESocketResult SendSome(SocketHandle socket, const char* data, std::size_t size, std::size_t& count);
ESocketResult ReceiveSome(SocketHandle socket, char* data, std::size_t size, std::size_t& count);

// Waits at most milliseconds for the socket to become readable, or writable:
// kDone when it did (errors and hang-ups count), kWouldBlock on time-out.
ESocketResult WaitSocket(SocketHandle socket, bool writable, int milliseconds);

// The owner of a socket of this interface, on either platform: closes it when
// it goes.
class CSocket {
 public:
  CSocket() = default;
  CSocket(const CSocket&) = delete;
  CSocket& operator=(const CSocket&) = delete;
  ~CSocket() { Reset(); }

  SocketHandle Get() const { return m_hSocket; }
  bool IsOpen() const { return m_hSocket != kNoSocket; }

  // Closes what is owned and owns socket instead.
  void Reset(SocketHandle socket = kNoSocket) {
    if (IsOpen()) CloseSocket(m_hSocket);
    m_hSocket = socket;
  }

 private:
  SocketHandle m_hSocket = kNoSocket;
};
