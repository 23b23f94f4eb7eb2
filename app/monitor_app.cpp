#include "app/monitor_app.h"

#include "app/main_dialog_parts.h"
#include "monitor/status_fetch.h"
#include "res/strings.h"
#include "ui/monitor_dlg.h"
#include "ui/program_message.h"
#include "ui/utf8_text.h"

bool CMonitorApp::OnInit() {
  // No command line is parsed: the program takes no options.
  if (!StartHttpLayer()) {
    ShowProgramMessage(TextFromBytes(kHttpLayerFailedText));
    return false;
  }
  return true;
}

int CMonitorApp::OnRun() {
  auto* const dialog = new CMonitorDlg();
  AttachAboutBoxAndHelp(*dialog);
  SetTopWindow(dialog);
  dialog->ShowModal();
  dialog->Destroy();
  return 0;
}

int CMonitorApp::OnExit() {
  StopHttpLayer();
  return wxApp::OnExit();
}
