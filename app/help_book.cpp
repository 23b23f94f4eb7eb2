#include "app/help_book.h"

#include <utility>

#include <wx/filename.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/stdpaths.h>
#include <wx/sysopt.h>
#include <wx/treectrl.h>

CHelpBook::CHelpBook(std::vector<wxString> bookFiles, wxWindow* parent)
    : m_bookFiles(std::move(bookFiles)), m_pParent(parent) {}

CHelpBook::~CHelpBook() = default;

std::vector<wxString> CHelpBook::ProductBookFiles() {
  wxFileName beside(wxStandardPaths::Get().GetExecutablePath());
  beside.SetExt("HLP");
  // The installed layout, wherever its root was unpacked, then where it was
  // configured to go.
  wxFileName relative(beside.GetPath() + "/../" + ORLAVO_RELATIVE_DATA_DIR, beside.GetFullName());
  relative.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
  const wxFileName installed(ORLAVO_DATA_DIR, beside.GetFullName());
  return {beside.GetFullPath(), relative.GetFullPath(), installed.GetFullPath()};
}

bool CHelpBook::ShowContents() {
  wxHtmlHelpController* const controller = Controller();
  if (controller == nullptr || !controller->DisplayContents()) return false;
  Present();
  return true;
}

bool CHelpBook::ShowTopic(int topic) {
  wxHtmlHelpController* const controller = Controller();
  if (controller == nullptr || !controller->Display(topic)) return false;
  Present();
  return true;
}

void CHelpBook::Present() {
  wxHtmlHelpWindow* const window = m_pController->GetHelpWindow();
  if (window != nullptr && window->GetTreeCtrl() != nullptr) window->GetTreeCtrl()->ExpandAll();
  if (wxHtmlHelpFrame* const frame = m_pController->GetFrame()) frame->Raise();
}

wxHtmlHelpController* CHelpBook::Controller() {
  if (m_pController) return m_pController.get();
  // Without it the file system asks the desktop's MIME database and shows
  // ".htm" pages as plain text.
  wxSystemOptions::SetOption("filesys.no-mimetypesmanager", 1);
  for (const wxString& file : m_bookFiles) {
    if (!wxFileName::FileExists(file)) continue;
    auto controller = std::make_unique<wxHtmlHelpController>(wxHF_DEFAULT_STYLE);
    controller->SetTitleFormat("Orlavo Help: %s");
    controller->SetParentWindow(m_pParent);
    if (controller->AddBook(wxFileName(file))) {
      m_pController = std::move(controller);
      break;
    }
  }
  return m_pController.get();
}
