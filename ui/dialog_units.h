#pragma once

#include <wx/button.h>
#include <wx/gdicmn.h>
#include <wx/stattext.h>
#include <wx/window.h>

// Builds a dialog from its template: every rectangle is given in dialog units
// of the dialog's font, as the template gives it. The font is measured once,
// here, so set it first: the toolkit measures a font of the dialog's own again
// at every conversion.
class CDialogUnits {
 public:
  // 4 x 8 dialog units are the font's average character width and height.
  explicit CDialogUnits(wxWindow& dialog)
      : m_dialog(dialog), m_base(dialog.ConvertDialogToPixels(wxSize(4, 8))) {}

  // The rectangle in pixels.
  wxRect Rect(int x, int y, int width, int height) const;

  // Where a label's line sits in the height of its rectangle.
  enum class ELine { kTop, kVerticallyCentred };

  // A line of UTF-8 text at its rectangle; "&" shows as itself. The text is
  // never cut or wrapped: where it is wider than its rectangle (at another
  // text scale than the template's), the label grows to the right as far as
  // the text needs.
  wxStaticText* Label(const char* text, int x, int y, int width, int height,
                      ELine line = ELine::kTop) const;

  wxButton* Button(int id, const char* text, int x, int y, int width, int height) const;

 private:
  wxWindow& m_dialog;
  const wxSize m_base;
};
