#pragma once

#include <wx/gdicmn.h>
#include <wx/window.h>

// A rectangle of a dialog template, given in dialog units of window's font,
// in pixels.
wxRect DialogRect(const wxWindow& window, int x, int y, int width, int height);
