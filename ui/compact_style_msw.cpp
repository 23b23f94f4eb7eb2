// The dialogs' styling on Windows, whose native controls fit the dialog's
// rectangles as they are.
#include <wx/msw/wrapwin.h>

#include "ui/compact_style.h"

void ApplyCompactControlStyle() {}

void ApplyOneLineTextBoxStyle(wxTextCtrl& box) {
  const auto edit = static_cast<HWND>(box.GetHWND());
  // The toolkit gives a box that does not wrap a horizontal scroll bar, which
  // fills a box one line high; the edit scrolls sideways without it.
  SetWindowLongPtrW(edit, GWL_STYLE, GetWindowLongPtrW(edit, GWL_STYLE) & ~LONG_PTR{WS_HSCROLL});
  SetWindowPos(edit, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  // Text only in the box's first line, so that one whole line shows at a time.
  RECT area{};
  SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
  area.bottom = area.top + box.GetCharHeight();
  SendMessageW(edit, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&area));
}

void CentreLineVertically(wxStaticText& label) {
  // The native static's own style for it, as a dialog template gives it.
  const auto text = static_cast<HWND>(label.GetHWND());
  SetWindowLongPtrW(text, GWL_STYLE, GetWindowLongPtrW(text, GWL_STYLE) | SS_CENTERIMAGE);
  InvalidateRect(text, nullptr, TRUE);
}

int TextAreaWidth(wxTextCtrl& edit) {
  RECT area{};
  SendMessageW(static_cast<HWND>(edit.GetHWND()), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
  const auto width = static_cast<int>(area.right - area.left);
  return width > 0 ? width : edit.GetClientSize().GetWidth();
}

// Windows' dialogs with a minimise box, as the dialog asks for, are main
// windows already, and a window without a sizing border keeps its size.
void StyleAsMainWindow(wxTopLevelWindow& /*window*/) {}

void KeepWindowSize(wxTopLevelWindow& /*window*/) {}
