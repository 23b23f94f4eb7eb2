#include "tests/support/silent_name_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <fstream>
#include <sstream>

namespace testing_support {

namespace {

using namespace std::chrono_literals;

// Ten minutes of 100 ms polls: longer than any test waits for a lookup.
constexpr int kMaxPolls = 6000;

CUniqueFd BoundSocket(int type, const std::string& address) {
  CUniqueFd fd(::socket(AF_INET, type | SOCK_CLOEXEC, 0));
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(53);
  if (fd.Get() < 0 || ::inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1 ||
      ::bind(fd.Get(), reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
    return CUniqueFd();
  }
  return fd;
}

}  // namespace

CSilentNameServer::CSilentNameServer(const std::string& address)
    : m_udp(BoundSocket(SOCK_DGRAM, address)), m_tcp(BoundSocket(SOCK_STREAM, address)) {
  if (!Listening() || ::listen(m_tcp.Get(), 16) != 0) return;
  m_thread = std::thread([this] { Run(); });
}

CSilentNameServer::~CSilentNameServer() {
  m_bStopping = true;
  if (m_thread.joinable()) m_thread.join();
}

void CSilentNameServer::Run() {
  // Connections stay open, unanswered, until the server stops.
  std::vector<CUniqueFd> connections;
  for (int i = 0; i < kMaxPolls && !m_bStopping; ++i) {
    std::vector<pollfd> items = {{m_udp.Get(), POLLIN, 0}, {m_tcp.Get(), POLLIN, 0}};
    for (const CUniqueFd& connection : connections) items.push_back({connection.Get(), POLLIN, 0});
    if (::poll(items.data(), items.size(), 100) <= 0) continue;
    char buffer[4096];
    if (items[0].revents != 0 && ::recv(m_udp.Get(), buffer, sizeof buffer, 0) >= 0) ++m_nQueries;
    if (items[1].revents != 0) {
      CUniqueFd connection(::accept4(m_tcp.Get(), nullptr, nullptr, SOCK_CLOEXEC));
      if (connection.Get() >= 0) {
        connections.push_back(std::move(connection));
        ++m_nQueries;
      }
    }
    // Read and drop; a connection the client closed is closed here too.
    for (std::size_t k = 2; k < items.size(); ++k) {
      if (items[k].revents != 0 && ::recv(items[k].fd, buffer, sizeof buffer, 0) <= 0) {
        connections[k - 2].Reset();
      }
    }
    std::erase_if(connections, [](const CUniqueFd& connection) { return !connection.IsOpen(); });
  }
}

std::vector<std::unique_ptr<CSilentNameServer>> SilenceTheNameServers() {
  std::vector<std::unique_ptr<CSilentNameServer>> servers;
  std::ifstream resolvConf("/etc/resolv.conf");
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
