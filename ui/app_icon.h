#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

// The program's icon, 32x32 and 16x16.
wxIconBundle AppIconBundle();
wxBitmap AppIconBitmap();
