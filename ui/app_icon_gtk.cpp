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
    // Loaded after construction: the constructor that loads calls the
    // virtual LoadFile from inside itself.
    wxImage image;
    image.LoadFile(stream, wxBITMAP_TYPE_PNG);
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(image));
    bundle.AddIcon(icon);
  }
  return bundle;
}

wxBitmap AppIconBitmap() { return {kOrlavoIcon32}; }
