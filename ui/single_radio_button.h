#pragma once

#include <wx/gdicmn.h>
#include <wx/radiobut.h>

// A radio button outside every group of the dialog, which can be turned off
// as well as on; the dialog's handlers keep such buttons exclusive. GTK needs
// help to turn one off (single_radio_button_gtk.cpp); Windows does it as it is
// (single_radio_button_msw.cpp).
class CSingleRadioButton final : public wxRadioButton {
 public:
  CSingleRadioButton(wxWindow* parent, int id, const wxString& label, const wxRect& rect);

  void SetValue(bool bValue) override;
};
