// Windows asks a control for its name through the toolkit's IAccessible,
// which answers what is set here and leaves the rest to the system's own.
#include <wx/access.h>

#include "ui/accessibility.h"

namespace {

class CNamedAccessible final : public wxAccessible {
 public:
  CNamedAccessible(wxWindow& control, const wxString& name)
      : wxAccessible(&control), m_name(name) {}

  wxAccStatus GetName(int childId, wxString* name) override {
    if (childId != wxACC_SELF) return wxACC_NOT_IMPLEMENTED;
    *name = m_name;
    return wxACC_OK;
  }

 private:
  wxString m_name;
};

}  // namespace

void SetAccessibleName(wxWindow& control, const wxString& name) {
  // The control owns it.
  control.SetAccessible(new CNamedAccessible(control, name));
}

// The system's accessibility layer has no relation between a label and its
// control: a screen reader finds the name set above.
void SetAccessibleLabelFor(wxWindow& /*label*/, wxWindow& /*control*/) {}
