// On Windows the icon is resource 128 of the program, in every size it has;
// the toolkit reads no PNG there.
#include <wx/icon.h>
#include <wx/msw/wrapwin.h>

#include "res/orlavo_32.xpm"
#include "ui/app_icon.h"

wxIconBundle AppIconBundle() {
  wxIconBundle bundle;
  bundle.AddIcon("#128", GetModuleHandleW(nullptr));
  return bundle;
}

wxBitmap AppIconBitmap() { return wxBitmap(kOrlavoIcon32); }
