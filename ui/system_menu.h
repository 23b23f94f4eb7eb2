#pragma once

#include <wx/string.h>
#include <wx/toplevel.h>

// Appends a separator and an item of that id and text to the window's system
// menu, whose choice then reaches the window as a menu command of that id.
// Nothing where the program cannot reach that menu (GTK's belongs to the
// window manager), or when text is empty.
void AppendSystemMenuItem(wxTopLevelWindow& window, int id, const wxString& text);
