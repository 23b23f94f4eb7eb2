#include "tests/support/silent_name_server.h"

#include <fstream>
#include <sstream>

#include "tests/support/listen_socket.h"

namespace testing_support {

namespace {

// Ten minutes of two 50 ms waits: longer than any test waits for a lookup.
constexpr int kMaxPolls = 6000;
constexpr int kPollMs = 50;

}  // namespace

CSilentNameServer::CSilentNameServer(const std::string& address) {
  m_udp.Reset(BindSocketAt(true, address.c_str(), 53));
  m_tcp.Reset(BindSocketAt(false, address.c_str(), 53));
  if (!Listening()) return;
  ListenOn(m_tcp.Get(), 16);
  m_thread = std::thread([this] { Run(); });
}

CSilentNameServer::~CSilentNameServer() {
  m_bStopping = true;
  if (m_thread.joinable()) m_thread.join();
}

void CSilentNameServer::Run() {
  // Connections stay open, unread and unanswered, until the server stops.
  std::vector<std::unique_ptr<CSocket>> connections;
  for (int i = 0; i < kMaxPolls && !m_bStopping; ++i) {
    char buffer[4096];
    std::size_t count = 0;
    if (WaitSocket(m_udp.Get(), false, kPollMs) == ESocketResult::kDone &&
        ReceiveSome(m_udp.Get(), buffer, sizeof buffer, count) == ESocketResult::kDone) {
      ++m_nQueries;
    }
    if (WaitSocket(m_tcp.Get(), false, kPollMs) == ESocketResult::kDone) {
      auto connection = std::make_unique<CSocket>();
      connection->Reset(AcceptConnection(m_tcp.Get()));
      if (connection->IsOpen()) {
        connections.push_back(std::move(connection));
        ++m_nQueries;
      }
    }
  }
}

std::vector<std::unique_ptr<CSilentNameServer>> SilenceTheNameServers() {
  std::vector<std::unique_ptr<CSilentNameServer>> servers;
  std::ifstream resolvConf(ResolverConfiguration());
  std::string line;
  while (std::getline(resolvConf, line)) {
    std::istringstream words(line);
    std::string keyword;
    std::string address;
    if (words >> keyword >> address && keyword == "nameserver") {
      servers.push_back(std::make_unique<CSilentNameServer>(address));
    }
  }
  return servers;
}

}  // namespace testing_support
