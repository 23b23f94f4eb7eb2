#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

// The program's icon: the window's in every size it has (16 to 256 pixels),
// and the about box's 32x32.
wxIconBundle AppIconBundle();
wxBitmap AppIconBitmap();
