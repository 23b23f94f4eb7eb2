#include "app/monitor_app.h"

#include "app/main_dialog_parts.h"
#include "mail/socket_io.h"
#include "monitor/status_fetch.h"
#include "res/strings.h"
#include "ui/accessibility.h"
#include "ui/monitor_dlg.h"
#include "ui/program_message.h"
#include "ui/utf8_text.h"

bool CMonitorApp::OnInit() {
  // No command line is parsed: the program takes no options.
  if (!StartSockets() || !StartHttpLayer()) {
    ShowProgramMessage(TextFromBytes(kHttpLayerFailedText));
    return false;
  }
  return true;
}

int CMonitorApp::OnRun() {
  auto* const dialog = new CMonitorDlg();
  AttachAboutBoxAndHelp(*dialog);
  SetTopWindow(dialog);
  // The help viewer may still be open: the program ends with the dialog
  // alone, which has stopped its scan before it goes.
  dialog->Bind(wxEVT_DESTROY, [this, dialog](wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == dialog) ExitMainLoop();
    event.Skip();
  });
  dialog->Show();
  WriteAccessibleNamesForTest(*dialog);
  wxApp::OnRun();
  return 0;
}

int CMonitorApp::OnExit() {
  StopHttpLayer();
  StopSockets();
  return wxApp::OnExit();
}
