#include "ui/framed_text.h"

#include <algorithm>

#include <wx/stattext.h>

namespace {

// A panel without focusable children would take the focus itself, without
// showing it: this one never does.
class CTextFrame final : public wxPanel {
 public:
  CTextFrame(wxWindow* parent, const wxRect& rect, long border)
      : wxPanel(parent, wxID_ANY, rect.GetPosition(), rect.GetSize(), border) {}
  bool AcceptsFocus() const override { return false; }
  bool AcceptsFocusFromKeyboard() const override { return false; }
  // The panel asks for the focus whenever it has no focusable child.
  void SetCanFocus(bool /*canFocus*/) override { wxPanel::SetCanFocus(false); }
};

}  // namespace

wxPanel* CreateFramedText(wxWindow* parent, const wxRect& rect, const wxString& text, long border) {
  auto* const panel = new CTextFrame(parent, rect, border);
  auto* const label =
      new wxStaticText(panel, wxID_ANY, wxControl::EscapeMnemonics(text), wxDefaultPosition,
                       wxDefaultSize, wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
  const wxSize client = panel->GetClientSize();
  const int height = std::min(label->GetBestSize().GetHeight(), client.GetHeight());
  label->SetSize(0, (client.GetHeight() - height) / 2, client.GetWidth(), height);
  return panel;
}
