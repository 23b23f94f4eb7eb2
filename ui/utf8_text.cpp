#include "ui/utf8_text.h"

#include "monitor/utf8.h"

wxString TextFromBytes(std::string_view bytes) {
  wxString text;
  const std::u32string decoded = DecodeUtf8(bytes);
  text.reserve(decoded.size());
  for (const char32_t codePoint : decoded) text += wxUniChar(static_cast<wxUint32>(codePoint));
  return text;
}

std::string BytesFromText(const wxString& text) {
  const wxScopedCharBuffer utf8 = text.utf8_str();
  return {utf8.data(), utf8.length()};
}
