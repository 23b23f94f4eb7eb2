#include "app/main_dialog_parts.h"

#include <memory>
#include <utility>

#include "app/about_dlg.h"

void AttachAboutBoxAndHelp(CMonitorDlg& dialog, std::vector<wxString> bookFiles) {
  // Held by the dialog's help function alone; shared only because a function
  // object must be copyable.
  auto book = std::make_shared<CHelpBook>(std::move(bookFiles), &dialog);
  dialog.SetHelp(
      [book](int topic) { return topic == 0 ? book->ShowContents() : book->ShowTopic(topic); });
  dialog.SetAboutBox([&dialog] {
    CAboutDlg about(&dialog, [&dialog] { dialog.ShowHelp(kHelpTopicAboutBox); });
    about.ShowModal();
  });
}
