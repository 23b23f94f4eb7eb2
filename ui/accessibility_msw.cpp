// Windows asks a control for its name through the toolkit's IAccessible,
// which answers what is set here and leaves the rest to the system's own.
#include <wx/access.h>
#include <wx/msw/wrapwin.h>

#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

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

void WriteAccessibleNamesForTest(wxWindow& window) {
  const char* const path = std::getenv("ORLAVO_TEST_ACCESSIBLE_NAMES");
  if (path == nullptr) return;
  std::string lines;
  for (wxWindow* const control : window.GetChildren()) {
    const auto hwnd = static_cast<HWND>(control->GetHWND());
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&accessible))) ||
        accessible == nullptr)
      continue;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role{};
    VARIANT state{};
    BSTR name = nullptr;
    const long nRole =
        SUCCEEDED(accessible->get_accRole(self, &role)) && role.vt == VT_I4 ? role.lVal : 0;
    const long nState =
        SUCCEEDED(accessible->get_accState(self, &state)) && state.vt == VT_I4 ? state.lVal : 0;
    const wxString nameText =
        SUCCEEDED(accessible->get_accName(self, &name)) && name != nullptr ? wxString(name) : "";
    SysFreeString(name);
    VariantClear(&role);
    VariantClear(&state);
    accessible->Release();
    const bool bFocusable = control->AcceptsFocus();
    lines +=
        (wxString::Format("%ld\t%ld\t%d\t", nRole, nState, bFocusable ? 1 : 0) + nameText + "\n")
            .utf8_string();
  }
  // Whole or not at all, for the test that waits for it.
  const std::string part = std::string(path) + ".part";
  std::ofstream(part, std::ios::binary) << lines;
  std::rename(part.c_str(), path);
}
