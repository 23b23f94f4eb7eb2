#include "monitor/window_text_queue.h"

#include <utility>

void CWindowTextQueue::Attach(ShowFunction show, WakeFunction wake) {
  {
    const std::lock_guard lock(m_mutex);
    m_wake = std::move(wake);
    m_queue.clear();
    for (std::optional<std::string>& shown : m_shown) shown.reset();
  }
  m_show = std::move(show);
}

void CWindowTextQueue::Write(ETarget target, std::string_view text) {
  if (std::this_thread::get_id() == m_uiThread) {
    std::vector<PendingText> pending;
    bool bChanged = false;
    {
      const std::lock_guard lock(m_mutex);
      pending.swap(m_queue);
      bChanged = Remember(target, text);
    }
    if (!m_show) return;
    // Whatever the worker wrote before comes first.
    for (const PendingText& item : pending) m_show(item.target, item.text);
    if (bChanged) m_show(target, text);
    return;
  }
  const std::lock_guard lock(m_mutex);
  if (!m_wake || !Remember(target, text)) return;
  const bool bWake = m_queue.empty();
  m_queue.push_back({target, std::string(text)});
  if (bWake) m_wake();
}

void CWindowTextQueue::DeliverPending() {
  std::vector<PendingText> pending;
  {
    const std::lock_guard lock(m_mutex);
    pending.swap(m_queue);
  }
  if (!m_show) return;
  for (const PendingText& item : pending) m_show(item.target, item.text);
}

bool CWindowTextQueue::Remember(ETarget target, std::string_view text) {
  std::optional<std::string>& shown = m_shown[static_cast<int>(target)];
  if (shown == text) return false;
  shown = std::string(text);
  return true;
}
