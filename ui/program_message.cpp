#include "ui/program_message.h"

#include <wx/app.h>
#include <wx/msgdlg.h>

void ShowProgramMessage(const wxString& text) {
  const wxString caption = wxTheApp != nullptr ? wxTheApp->GetAppName() : wxString("orlavo");
  wxMessageBox(text, caption, wxOK | wxICON_EXCLAMATION);
}
