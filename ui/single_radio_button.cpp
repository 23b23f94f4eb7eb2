#include "ui/single_radio_button.h"

CSingleRadioButton::CSingleRadioButton(wxWindow* parent, int id, const wxString& label,
                                       const wxRect& rect)
    : wxRadioButton(parent, id, label, rect.GetPosition(), rect.GetSize(), wxRB_GROUP) {
  // Created right after this one, so it joins this group and no other.
  m_pOff = new wxRadioButton(parent, wxID_ANY, wxEmptyString, rect.GetPosition(), wxSize(1, 1));
  m_pOff->Hide();
}

void CSingleRadioButton::SetValue(bool bValue) {
  if (bValue) {
    wxRadioButton::SetValue(true);
  } else {
    m_pOff->SetValue(true);
  }
}
