#include "app/help_book.h"

#include <utility>

#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/sysopt.h>

CHelpBook::CHelpBook(std::vector<wxString> bookFiles) : m_bookFiles(std::move(bookFiles)) {}

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
  return controller != nullptr && controller->DisplayContents();
}

bool CHelpBook::ShowTopic(int topic) {
  wxHtmlHelpController* const controller = Controller();
  return controller != nullptr && controller->Display(topic);
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
    if (controller->AddBook(wxFileName(file))) {
      m_pController = std::move(controller);
      break;
    }
  }
  return m_pController.get();
}
