#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

// At most this many lookup threads run at once: a lookup given up at its
// deadline leaves its thread waiting for the name service, and with a name
// service that hangs a new lookup beyond these fails at once instead.
inline constexpr int kMaxLookupThreads = 4;

// The first IPv4 address of host (network byte order), looked up by the time deadline passes. A
// numeric address is taken as it is, without asking any name service. A name
// is looked up on a thread of its own: when the deadline passes first, the
// caller goes on and the thread ends by itself once the name service answers
// or gives up, dropping its answer. False when there is no address in time.
// Any thread may call it; nothing raises a signal or throws.
bool LookUpIpv4(std::string_view host, std::chrono::steady_clock::time_point deadline,
                std::uint32_t& address);
