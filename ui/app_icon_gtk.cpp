#include "ui/app_icon.h"

#include <wx/icon.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include "app_icon_png.h"
#include "res/orlavo_16.xpm"
#include "res/orlavo_32.xpm"

wxIconBundle AppIconBundle() {
  if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
  wxIconBundle bundle;
  bundle.AddIcon(wxIcon(kOrlavoIcon32));
  bundle.AddIcon(wxIcon(kOrlavoIcon16));
  for (const AppIconPng& png : kAppIconPngs) {
    wxMemoryInputStream stream(png.bytes, png.length);
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(wxImage(stream, wxBITMAP_TYPE_PNG)));
    bundle.AddIcon(icon);
  }
  return bundle;
}

wxBitmap AppIconBitmap() { return {kOrlavoIcon32}; }
