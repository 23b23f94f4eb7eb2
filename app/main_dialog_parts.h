#pragma once

#include <vector>

#include <wx/string.h>

#include "app/help_book.h"
#include "ui/monitor_dlg.h"

// Hands the main dialog what the application adds to it: the about box and
// the help book, looked for in bookFiles. The dialog owns both from then on.
void AttachAboutBoxAndHelp(CMonitorDlg& dialog,
                           std::vector<wxString> bookFiles = CHelpBook::ProductBookFiles());
