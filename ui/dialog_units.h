#pragma once

#include <wx/button.h>
#include <wx/gdicmn.h>
#include <wx/stattext.h>
#include <wx/window.h>

// Builds a dialog from its template: every rectangle is given in dialog units
// of the dialog's font, as the template gives it.
class CDialogUnits {
 public:
  explicit CDialogUnits(wxWindow& dialog) : m_dialog(dialog) {}

  // The rectangle in pixels.
  wxRect Rect(int x, int y, int width, int height) const;

  // A line of UTF-8 text that keeps its rectangle; "&" shows as itself.
  wxStaticText* Label(const char* text, int x, int y, int width, int height) const;

  wxButton* Button(int id, const char* text, int x, int y, int width, int height) const;

 private:
  wxWindow& m_dialog;
};
