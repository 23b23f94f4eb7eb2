#include "ui/single_radio_button.h"

// Windows has radio buttons outside every group, which turn off as well as
// on: no hidden partner is needed.
CSingleRadioButton::CSingleRadioButton(wxWindow* parent, int id, const wxString& label,
                                       const wxRect& rect)
    : wxRadioButton(parent, id, label, rect.GetPosition(), rect.GetSize(), wxRB_SINGLE) {}

void CSingleRadioButton::SetValue(bool bValue) { wxRadioButton::SetValue(bValue); }
