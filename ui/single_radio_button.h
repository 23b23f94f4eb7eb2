#pragma once

#include <wx/gdicmn.h>
#include <wx/radiobut.h>

// A radio button that forms a group of its own and can be turned off as well
// as on. GTK keeps one button of every group on, so a hidden second button of
// the group takes the "on" when this one is turned off.
class CSingleRadioButton final : public wxRadioButton {
 public:
  CSingleRadioButton(wxWindow* parent, int id, const wxString& label, const wxRect& rect);

  void SetValue(bool bValue) override;

 private:
  wxRadioButton* m_pOff = nullptr;
};
