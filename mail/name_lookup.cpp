#include "mail/name_lookup.h"

#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "mail/socket_io.h"
#include "monitor/fixed_text.h"

namespace {

// One lookup, shared by the caller and the lookup thread; whichever lets go
// last frees it, so a caller that has given up owes the thread nothing.
struct Lookup {
  char szHost[256] = {};
  std::mutex mutex;
  std::condition_variable finished;
  bool bFinished = false;
  bool bFound = false;
  std::uint32_t address = 0;
};

// Lookup threads still running, waited for or given up. Process-wide on
// purpose: a thread given up outlives the mail that started it, and the cap
// holds across mails.
std::atomic<int> g_nLookupThreads{0};  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

void* RunLookup(void* argument) {
  const std::unique_ptr<std::shared_ptr<Lookup>> owner(
      static_cast<std::shared_ptr<Lookup>*>(argument));
  Lookup& lookup = **owner;
  std::uint32_t address = 0;
  const bool bFound = ResolveIpv4(lookup.szHost, false, address);
  {
    const std::lock_guard lock(lookup.mutex);
    lookup.bFinished = true;
    lookup.bFound = bFound;
    lookup.address = address;
  }
  lookup.finished.notify_one();
  --g_nLookupThreads;
  return nullptr;
}

// Starts the lookup on a detached thread; false when none can be started.
bool StartLookupThread(const std::shared_ptr<Lookup>& lookup) {
  if (++g_nLookupThreads > kMaxLookupThreads) {
    --g_nLookupThreads;
    return false;
  }
  auto owner = std::make_unique<std::shared_ptr<Lookup>>(lookup);
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_t thread{};
  const int error = ::pthread_create(&thread, &attributes, RunLookup, owner.get());
  pthread_attr_destroy(&attributes);
  if (error != 0) {
    --g_nLookupThreads;
    return false;
  }
  // The thread owns it now.
  static_cast<void>(owner.release());
  return true;
}

}  // namespace

bool LookUpIpv4(std::string_view host, std::chrono::steady_clock::time_point deadline,
                std::uint32_t& address) {
  auto lookup = std::make_shared<Lookup>();
  if (host.empty() || host.size() >= sizeof lookup->szHost) return false;
  CopyText(lookup->szHost, host);
  if (ResolveIpv4(lookup->szHost, true, address)) return true;
  if (!StartLookupThread(lookup)) return false;
  std::unique_lock lock(lookup->mutex);
  if (!lookup->finished.wait_until(lock, deadline, [&] { return lookup->bFinished; })) return false;
  if (!lookup->bFound) return false;
  address = lookup->address;
  return true;
}
