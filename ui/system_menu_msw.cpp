#include <wx/menu.h>

#include "ui/system_menu.h"

void AppendSystemMenuItem(wxTopLevelWindow& window, int id, const wxString& text) {
  wxMenu* const menu = window.MSWGetSystemMenu();
  if (menu == nullptr || text.empty()) return;
  menu->AppendSeparator();
  menu->Append(id, text);
}
