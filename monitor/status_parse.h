#pragma once

#include "monitor/monitor_record.h"

// The window title while no address is known.
inline constexpr char kPlaceholderTitle[] = "Orlavo <IP:*.*.*.*> <UL:*> <DL:*>";

// Reads the global address from the page in m_szPage. When it differs from
// m_szGlobalIp, sets m_bIpChanged, stores it and reads the two speeds. On
// success the title line replaces the page in m_szPage and the result is 1;
// otherwise the result is 0 and the record is unchanged.
int ParseStatusPage(MonitorRecord& record);
