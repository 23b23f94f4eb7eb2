#pragma once

#include <memory>
#include <vector>

#include <wx/html/helpctrl.h>
#include <wx/string.h>

// The program's help book, opened in the toolkit's HTML help viewer beside
// parent: above it, both usable, and gone with it. The book is loaded on first
// use from the first of its project files that loads.
class CHelpBook {
 public:
  CHelpBook(std::vector<wxString> bookFiles, wxWindow* parent);
  ~CHelpBook();
  CHelpBook(const CHelpBook&) = delete;
  CHelpBook& operator=(const CHelpBook&) = delete;

  // The executable's path with ".HLP" for its extension, then the same name
  // in the data directory of the installed layout around the executable, then
  // in the configured data directory.
  static std::vector<wxString> ProductBookFiles();

  // False when no book could be loaded or it has no such topic.
  bool ShowContents();
  bool ShowTopic(int topic);

 private:
  wxHtmlHelpController* Controller();
  // Opens every chapter of the contents and brings the viewer to the front.
  void Present();

  std::vector<wxString> m_bookFiles;
  wxWindow* m_pParent = nullptr;
  std::unique_ptr<wxHtmlHelpController> m_pController;
};
