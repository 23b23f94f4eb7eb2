#include "app/about_dlg.h"

#include <utility>

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "res/strings.h"
#include "ui/app_icon.h"
#include "ui/dialog_units.h"
#include "ui/framed_text.h"
#include "ui/utf8_text.h"

CAboutDlg::CAboutDlg(wxWindow* parent, std::function<void()> onHelp) : m_onHelp(std::move(onHelp)) {
  Create(parent, wxID_ANY, kAboutTitle, wxDefaultPosition, wxDefaultSize,
         wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
  // The metric twin of the Japanese UI font the box was laid out in.
  SetFont(wxFontInfo(9).FaceName("IPAPGothic"));
  const auto rect = [this](int x, int y, int width, int height) {
    return DialogRect(*this, x, y, width, height);
  };
  const auto label = [this, &rect](const char* text, int x, int y, int width, int height) {
    const wxRect r = rect(x, y, width, height);
    new wxStaticText(this, wxID_ANY, wxControl::EscapeMnemonics(TextFromBytes(text)),
                     r.GetPosition(), r.GetSize(), wxST_NO_AUTORESIZE);
  };

  new wxStaticBitmap(this, wxID_ANY, AppIconBitmap(), rect(11, 17, 20, 20).GetPosition());
  label(kVersionLine, 40, 10, 119, 8);
  label(kCopyrightLine, 40, 25, 147, 8);
  const wxRect ok = rect(178, 7, 32, 14);
  auto* const okButton = new wxButton(this, wxID_OK, "OK", ok.GetPosition(), ok.GetSize());
  CreateFramedText(this, rect(107, 35, 92, 13), kWebAddress, wxBORDER_SUNKEN);
  SetClientSize(ConvertDialogToPixels(wxSize(217, 55)));
  okButton->SetDefault();
  okButton->SetFocus();
  CentreOnParent();

  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(wxID_OK); }, wxID_OK);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { EndModal(wxID_CANCEL); });
  Bind(wxEVT_CHAR_HOOK, &CAboutDlg::OnCharHook, this);
}

void CAboutDlg::OnCharHook(wxKeyEvent& event) {
  if (event.GetModifiers() != wxMOD_NONE) {
    event.Skip();
    return;
  }
  if (event.GetKeyCode() == WXK_ESCAPE) {
    EndModal(wxID_CANCEL);
  } else if (event.GetKeyCode() == WXK_F1) {
    if (m_onHelp) m_onHelp();
  } else {
    event.Skip();
  }
}
