#include "ui/system_menu.h"

// The window manager's menu takes no items from the program: the dialog's own
// context menu offers them instead.
void AppendSystemMenuItem(wxTopLevelWindow& /*window*/, int /*id*/, const wxString& /*text*/) {}
