#pragma once

#include <atomic>
#include <cstdint>

// The one block of state the program works on: the settings the user edits and
// the settings file keeps, the last address and speeds read from the router,
// the buffer the router's page is read into, and the scan flags.
//
// Sharing rules between the UI thread and the scan worker (no locks):
// - while a scan runs, only the worker writes m_szPage, m_szGlobalIp, the speed
//   fields and m_bIpChanged;
// - the UI thread writes the settings fields only while no worker runs, except
//   m_nMailAlways, which the radio buttons change at any time;
// - m_bStopRequest is set to 1 by the UI thread and cleared to 0 by the worker.
// The two words written across threads are atomic.
struct MonitorRecord {
  std::atomic<std::int32_t> m_nMailAlways{0};
  std::int32_t m_nMailCount = 0;
  // An index into kScanIntervals after loading; seconds from the start of a scan.
  std::int32_t m_nScanTime = 0;
  std::int32_t m_bIpChanged = 0;
  std::int32_t m_bScanning = 0;
  std::atomic<std::int32_t> m_bStopRequest{0};

  char m_szSubject[256] = {};
  char m_szSmtpServer[256] = {};
  char m_szFromAddress[256] = {};
  char m_szRouterAddress[256] = {};
  char m_szUserName[256] = {};
  char m_szPassword[256] = {};
  char m_szMailTo[20][60] = {};
  char m_szGlobalIp[32] = {};
  char m_szUpLinkSpeed[32] = {};
  char m_szDownLinkSpeed[32] = {};
  // The router's page as read; afterwards scratch for the title line and for
  // the joined recipient list.
  char m_szPage[131072] = {};
};

inline constexpr int kMaxMailTo = 20;
