#include "ui/dialog_window_text.h"

#include <utility>

#include <wx/evtloop.h>
#include <wx/thread.h>

#include "ui/utf8_text.h"

void CDialogWindowText::Attach(wxTopLevelWindow* window, wxTextCtrl* httpStatus,
                               wxTextCtrl* mailStatus) {
  {
    const std::lock_guard lock(m_mutex);
    m_pWindow = window;
    m_queue.clear();
  }
  m_pHttpStatus = httpStatus;
  m_pMailStatus = mailStatus;
}

void CDialogWindowText::SetTitle(std::string_view text) { Write(ETarget::Title, text); }

void CDialogWindowText::SetHttpStatus(std::string_view text) { Write(ETarget::HttpStatus, text); }

void CDialogWindowText::SetMailStatus(std::string_view text) { Write(ETarget::MailStatus, text); }

void CDialogWindowText::Write(ETarget target, std::string_view text) {
  if (wxThread::IsMain()) {
    // Whatever the worker wrote before comes first.
    ApplyQueued();
    Apply(target, text);
    return;
  }
  const std::lock_guard lock(m_mutex);
  if (m_pWindow == nullptr) return;
  const bool bWake = m_queue.empty();
  m_queue.push_back({target, std::string(text)});
  // One wake-up per batch: it shows the whole queue.
  if (bWake) m_pWindow->CallAfter([this] { ApplyQueued(); });
}

void CDialogWindowText::ApplyQueued() {
  std::vector<PendingText> pending;
  {
    const std::lock_guard lock(m_mutex);
    pending.swap(m_queue);
  }
  for (const PendingText& item : pending) Apply(item.target, item.text);
}

void CDialogWindowText::DeliverPending() {
  ApplyQueued();
  if (wxEventLoopBase* const loop = wxEventLoopBase::GetActive()) {
    loop->YieldFor(wxEVT_CATEGORY_ALL & ~wxEVT_CATEGORY_USER_INPUT);
  }
}

void CDialogWindowText::Apply(ETarget target, std::string_view text) {
  switch (target) {
    case ETarget::Title:
      if (m_pWindow != nullptr) m_pWindow->SetTitle(TextFromBytes(text));
      break;
    case ETarget::HttpStatus:
      if (m_pHttpStatus != nullptr) m_pHttpStatus->ChangeValue(TextFromBytes(text));
      break;
    case ETarget::MailStatus:
      if (m_pMailStatus != nullptr) m_pMailStatus->ChangeValue(TextFromBytes(text));
      break;
  }
}
