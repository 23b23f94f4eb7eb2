#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "settings/unique_fd.h"

namespace testing_support {

// A name server that takes every query and never answers: UDP and TCP port
// 53 of one loopback address. Port 53 needs root; the tests that use it run
// in a network namespace of their own. The destructor stops it and joins its
// thread.
class CSilentNameServer {
 public:
  explicit CSilentNameServer(const std::string& address);
  ~CSilentNameServer();
  CSilentNameServer(const CSilentNameServer&) = delete;
  CSilentNameServer& operator=(const CSilentNameServer&) = delete;

  bool Listening() const { return m_udp.IsOpen() && m_tcp.IsOpen(); }
  // Datagrams and connections taken so far.
  int Queries() const { return m_nQueries.load(); }

 private:
  void Run();

  CUniqueFd m_udp;
  CUniqueFd m_tcp;
  std::atomic<bool> m_bStopping{false};
  std::atomic<int> m_nQueries{0};
  std::thread m_thread;
};

// One silent server for every "nameserver" line of /etc/resolv.conf.
std::vector<std::unique_ptr<CSilentNameServer>> SilenceTheNameServers();

}  // namespace testing_support
