#include "app/about_dlg.h"

#include <utility>

#include <wx/statbmp.h>

#include "res/strings.h"
#include "ui/app_icon.h"
#include "ui/dialog_units.h"
#include "ui/framed_text.h"

CAboutDlg::CAboutDlg(wxWindow* parent, std::function<void()> onHelp) : m_onHelp(std::move(onHelp)) {
  Create(parent, wxID_ANY, kAboutTitle, wxDefaultPosition, wxDefaultSize,
         wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
  // The metric twin of the Japanese UI font the box was laid out in.
  SetFont(wxFontInfo(9).FaceName("IPAPGothic"));
  const CDialogUnits units(*this);

  new wxStaticBitmap(this, wxID_ANY, AppIconBitmap(), units.Rect(11, 17, 20, 20).GetPosition());
  units.Label(kVersionLine, 40, 10, 119, 8);
  units.Label(kCopyrightLine, 40, 25, 147, 8);
  auto* const okButton = units.Button(wxID_OK, "OK", 178, 7, 32, 14);
  CreateFramedText(this, units.Rect(107, 35, 92, 13), kWebAddress, wxBORDER_SUNKEN);
  SetClientSize(ConvertDialogToPixels(wxSize(217, 55)));
  okButton->SetDefault();
  okButton->SetFocus();
  CentreOnParent();

  const auto endOk = [this](wxCommandEvent&) { EndModal(wxID_OK); };
  Bind(wxEVT_BUTTON, endOk, wxID_OK);
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
