#pragma once

#include <wx/string.h>

// A message box with an OK button and the exclamation icon, captioned with
// the program's name (the executable's name without its extension).
void ShowProgramMessage(const wxString& text);
