#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "monitor/window_text.h"

// The window texts without a window: the UI thread is the thread that
// constructs the queue. A text written on the UI thread is shown at once, after
// whatever other threads wrote before it; a text from any other thread is
// queued and shown at the next DeliverPending. The first text queued after a
// delivery calls the wake function, so one wake-up shows the whole batch.
// A text equal to the one its target shows, or will show once the queue is
// delivered, goes nowhere: an unchanged title wakes nothing. So the owner
// writes these three texts only through the queue.
class CWindowTextQueue final : public CWindowText {
 public:
  enum class ETarget { kTitle, kHttpStatus, kMailStatus };
  // Shows one text; called on the UI thread only.
  using ShowFunction = std::function<void(ETarget target, std::string_view text)>;
  // Asks the UI thread to call DeliverPending soon. Called on the writing
  // thread with the queue locked: it must not block or write a text.
  using WakeFunction = std::function<void()>;

  CWindowTextQueue() = default;
  ~CWindowTextQueue() override = default;
  CWindowTextQueue(const CWindowTextQueue&) = delete;
  CWindowTextQueue& operator=(const CWindowTextQueue&) = delete;

  // Where the texts go from now on. UI thread only.
  void Attach(ShowFunction show, WakeFunction wake);
  // Drops what is queued; from now on every text is dropped. UI thread only.
  void Detach() { Attach({}, {}); }

  void SetTitle(std::string_view text) override { Write(ETarget::kTitle, text); }
  void SetHttpStatus(std::string_view text) override { Write(ETarget::kHttpStatus, text); }
  void SetMailStatus(std::string_view text) override { Write(ETarget::kMailStatus, text); }
  void DeliverPending() override;

 private:
  struct PendingText {
    ETarget target;
    std::string text;
  };

  void Write(ETarget target, std::string_view text);
  // Takes text as what target shows from now on; false when it shows it
  // already. m_mutex held.
  bool Remember(ETarget target, std::string_view text);

  const std::thread::id m_uiThread = std::this_thread::get_id();
  ShowFunction m_show;
  std::mutex m_mutex;
  // All guarded by m_mutex.
  WakeFunction m_wake;
  std::vector<PendingText> m_queue;
  // By ETarget; empty until a text has been written since the last Attach.
  std::optional<std::string> m_shown[3];
};
