#pragma once

#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

// The toolkit styling the dialogs rely on; each platform provides its own:
// compact_style_gtk.cpp for GTK, compact_style_msw.cpp for Windows.

// GTK's default theme makes entries, buttons, lists and text views taller
// than the dialog's rectangles. Applies, once per process, a style that lets
// them shrink to their rectangles. Windows' controls fit as they are.
void ApplyCompactControlStyle();

// A multi-line box one line high: one whole line shown at a time, a vertical
// scroll bar that is always shown and can be grabbed, no horizontal one.
void ApplyOneLineTextBoxStyle(wxTextCtrl& box);

// Shows a label's line in the middle of its height rather than at the top.
void CentreLineVertically(wxStaticText& label);

// The width, in pixels, in which a single-line edit shows its text.
int TextAreaWidth(wxTextCtrl& edit);

// A dialog that is the program's main window: its title bar offers what a
// main window's does, minimise included. Call before it is shown.
void StyleAsMainWindow(wxTopLevelWindow& window);

// Keeps a window at its present size whatever its title. Call once it has
// its size.
void KeepWindowSize(wxTopLevelWindow& window);
