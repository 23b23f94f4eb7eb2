#include "monitor/window_text_queue.h"

#include <utility>

void CWindowTextQueue::Attach(ShowFunction show, WakeFunction wake) {
  {
    const std::lock_guard lock(m_mutex);
    m_wake = std::move(wake);
    m_queue.clear();
  }
  m_show = std::move(show);
}

void CWindowTextQueue::Write(ETarget target, std::string_view text) {
  if (std::this_thread::get_id() == m_uiThread) {
    // Whatever the worker wrote before comes first.
    DeliverPending();
    if (m_show) m_show(target, text);
    return;
  }
  const std::lock_guard lock(m_mutex);
  if (!m_wake) return;
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
