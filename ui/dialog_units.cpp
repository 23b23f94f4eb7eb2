#include "ui/dialog_units.h"

#include <wx/math.h>

#include "ui/compact_style.h"
#include "ui/utf8_text.h"

wxRect CDialogUnits::Rect(int x, int y, int width, int height) const {
  // The toolkit's own conversion, rounded as it rounds, with the base
  // measured once.
  const auto across = [this](int units) { return wxRound(units * m_base.x / 4.0); };
  const auto down = [this](int units) { return wxRound(units * m_base.y / 8.0); };
  return {across(x), down(y), across(width), down(height)};
}

wxStaticText* CDialogUnits::Label(const char* text, int x, int y, int width, int height,
                                  ELine line) const {
  wxRect r = Rect(x, y, width, height);
  const wxString shown = TextFromBytes(text);
  auto* const label = new wxStaticText(&m_dialog, wxID_ANY, wxControl::EscapeMnemonics(shown),
                                       r.GetPosition(), r.GetSize(), wxST_NO_AUTORESIZE);
  // Dialog units follow the font's average character, which the text scales
  // round differently from the text itself. The extra pixel keeps the
  // toolkit from wrapping a text it measures a fraction wider.
  const int textWidth = label->GetTextExtent(shown).GetWidth() + 1;
  if (textWidth > r.GetWidth()) {
    r.SetWidth(textWidth);
    label->SetSize(r);
  }
  if (line == ELine::kVerticallyCentred) CentreLineVertically(*label);
  return label;
}

wxButton* CDialogUnits::Button(int id, const char* text, int x, int y, int width,
                               int height) const {
  const wxRect r = Rect(x, y, width, height);
  return new wxButton(&m_dialog, id, TextFromBytes(text), r.GetPosition(), r.GetSize());
}
