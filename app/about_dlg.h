#pragma once

#include <functional>

#include <wx/dialog.h>

// The about box: version, maker, web address, and "OK".
class CAboutDlg final : public wxDialog {
 public:
  // onHelp runs for F1.
  CAboutDlg(wxWindow* parent, std::function<void()> onHelp);

 private:
  void OnCharHook(wxKeyEvent& event);

  std::function<void()> m_onHelp;
};
