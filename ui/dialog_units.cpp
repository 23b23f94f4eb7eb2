#include "ui/dialog_units.h"

#include "ui/utf8_text.h"

wxRect CDialogUnits::Rect(int x, int y, int width, int height) const {
  return {m_dialog.ConvertDialogToPixels(wxPoint(x, y)),
          m_dialog.ConvertDialogToPixels(wxSize(width, height))};
}

wxStaticText* CDialogUnits::Label(const char* text, int x, int y, int width, int height) const {
  const wxRect r = Rect(x, y, width, height);
  return new wxStaticText(&m_dialog, wxID_ANY, wxControl::EscapeMnemonics(TextFromBytes(text)),
                          r.GetPosition(), r.GetSize(), wxST_NO_AUTORESIZE);
}

wxButton* CDialogUnits::Button(int id, const char* text, int x, int y, int width,
                               int height) const {
  const wxRect r = Rect(x, y, width, height);
  return new wxButton(&m_dialog, id, TextFromBytes(text), r.GetPosition(), r.GetSize());
}
