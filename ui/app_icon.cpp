#include "ui/app_icon.h"

#include <wx/icon.h>

#include "res/orlavo_16.xpm"
#include "res/orlavo_32.xpm"

wxIconBundle AppIconBundle() {
  wxIconBundle bundle;
  bundle.AddIcon(wxIcon(kOrlavoIcon32));
  bundle.AddIcon(wxIcon(kOrlavoIcon16));
  return bundle;
}

wxBitmap AppIconBitmap() { return wxBitmap(kOrlavoIcon32); }
