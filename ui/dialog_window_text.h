#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include "monitor/window_text.h"

// The window texts of the main dialog. Texts written on the UI thread are
// shown at once; texts from the worker are queued and shown on the UI thread,
// in the order written, when the event loop wakes for them or at the next
// DeliverPending. The worker never waits for the UI thread.
class CDialogWindowText final : public CWindowText {
 public:
  CDialogWindowText() = default;
  CDialogWindowText(const CDialogWindowText&) = delete;
  CDialogWindowText& operator=(const CDialogWindowText&) = delete;

  // The windows the texts go to; all null detaches, dropping what is queued.
  void Attach(wxTopLevelWindow* window, wxTextCtrl* httpStatus, wxTextCtrl* mailStatus);

  void SetTitle(std::string_view text) override;
  void SetHttpStatus(std::string_view text) override;
  void SetMailStatus(std::string_view text) override;

  // Shows what is queued, then lets the window repaint; user input waits
  // until the caller is done.
  void DeliverPending() override;

  // Shows what is queued, on the UI thread.
  void ApplyQueued();

 private:
  enum class ETarget { Title, HttpStatus, MailStatus };
  struct PendingText {
    ETarget target;
    std::string text;
  };

  void Write(ETarget target, std::string_view text);
  void Apply(ETarget target, std::string_view text);

  wxTopLevelWindow* m_pWindow = nullptr;
  wxTextCtrl* m_pHttpStatus = nullptr;
  wxTextCtrl* m_pMailStatus = nullptr;
  std::mutex m_mutex;
  std::vector<PendingText> m_queue;
};
