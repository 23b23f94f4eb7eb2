#pragma once

#include <chrono>

#include "monitor/monitor_record.h"

// The router's status page, relative to the server's root.
inline constexpr char kStatusPageObject[] = "cgi-bin/main.cgi?cc_webname=STATUS";
inline constexpr char kUserAgent[] = "Pellworth";

struct FetchOptions {
  int port = 80;
  // Name resolution plus connecting.
  std::chrono::milliseconds connectTimeout{10'000};
  // The whole exchange, name resolution included.
  std::chrono::milliseconds totalTimeout{30'000};
};

// Starts the HTTP layer once for the whole program, before any thread runs a
// fetch. Returns false when it cannot be started.
bool StartHttpLayer();
void StopHttpLayer();

// One GET of the router's status page from m_szRouterAddress with
// m_szUserName and m_szPassword (Basic or Digest, as the router asks).
// Returns 1 when a response arrived, whatever its status: m_szPage then holds
// its body (at most 131071 bytes) and a NUL. Returns 0 when no response
// arrived, the router address is not a host name or IPv4 address, or the user
// name or password holds a control byte; m_szPage is then untouched. Blocks
// the calling thread; holds nothing afterwards.
int FetchStatusPage(MonitorRecord& record, const FetchOptions& options = {});
