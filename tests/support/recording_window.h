#pragma once

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "monitor/window_text.h"

namespace testing_support {

// Records every text written to the window, in order, as "title:...",
// "http:..." and "mail:...". Safe to write from the scan worker.
class CRecordingWindow final : public CWindowText {
 public:
  void SetTitle(std::string_view text) override { Add("title:", text); }
  void SetHttpStatus(std::string_view text) override { Add("http:", text); }
  void SetMailStatus(std::string_view text) override { Add("mail:", text); }
  void DeliverPending() override {}

  std::vector<std::string> Events() {
    std::lock_guard lock(m_mutex);
    return m_events;
  }

  // The last title written; empty when none was.
  std::string Title() {
    std::lock_guard lock(m_mutex);
    for (auto event = m_events.rbegin(); event != m_events.rend(); ++event) {
      if (event->rfind("title:", 0) == 0) return event->substr(6);
    }
    return {};
  }

  // Waits, at most 10 s, until the event has been written count times.
  bool AwaitEvent(const std::string& event, int count) {
    using namespace std::chrono_literals;
    for (int i = 0; i < 1000; ++i) {
      const auto events = Events();
      if (std::count(events.begin(), events.end(), event) >= count) return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }

 private:
  void Add(const char* kind, std::string_view text) {
    std::lock_guard lock(m_mutex);
    m_events.push_back(kind + std::string(text));
  }

  std::mutex m_mutex;
  std::vector<std::string> m_events;
};

}  // namespace testing_support
