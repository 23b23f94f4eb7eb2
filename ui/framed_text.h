#pragma once

#include <wx/gdicmn.h>
#include <wx/panel.h>
#include <wx/string.h>

// A line of text centred both ways in a bordered box: GTK labels draw no
// border of their own.
wxPanel* CreateFramedText(wxWindow* parent, const wxRect& rect, const wxString& text, long border);
