#pragma once

#include <string>
#include <string_view>

#include <wx/string.h>

// The core's texts, UTF-8 bytes or not, as the window shows them (see
// DecodeUtf8).
wxString TextFromBytes(std::string_view bytes);

// What a control holds, as the core's UTF-8 bytes.
std::string BytesFromText(const wxString& text);
