#include "ui/dialog_window_text.h"

#include "ui/utf8_text.h"

void AttachWindowText(CWindowTextQueue& texts, wxTopLevelWindow& window, wxTextCtrl& httpStatus,
                      wxTextCtrl& mailStatus) {
  using ETarget = CWindowTextQueue::ETarget;
  texts.Attach(
      [&window, &httpStatus, &mailStatus](ETarget target, std::string_view bytes) {
        switch (target) {
          case ETarget::kTitle:
            window.SetTitle(TextFromBytes(bytes));
            break;
          case ETarget::kHttpStatus:
            httpStatus.ChangeValue(TextFromBytes(bytes));
            break;
          case ETarget::kMailStatus:
            mailStatus.ChangeValue(TextFromBytes(bytes));
            break;
        }
      },
      [&window, &texts] { window.CallAfter([&texts] { texts.DeliverPending(); }); });
}
