#include "ui/framed_text.h"

#include <algorithm>

#include <wx/stattext.h>

wxPanel* CreateFramedText(wxWindow* parent, const wxRect& rect, const wxString& text, long border) {
  auto* const panel = new wxPanel(parent, wxID_ANY, rect.GetPosition(), rect.GetSize(), border);
  auto* const label =
      new wxStaticText(panel, wxID_ANY, wxControl::EscapeMnemonics(text), wxDefaultPosition,
                       wxDefaultSize, wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
  const wxSize client = panel->GetClientSize();
  const int height = std::min(label->GetBestSize().GetHeight(), client.GetHeight());
  label->SetSize(0, (client.GetHeight() - height) / 2, client.GetWidth(), height);
  return panel;
}
