#pragma once

#include <string>
#include <string_view>

#include <wx/string.h>

// The core's texts are UTF-8 bytes, but a router page may carry any bytes:
// every byte that does not start a valid UTF-8 character becomes U+FFFD, so a
// text never shows as empty only because part of it is not UTF-8.
wxString TextFromBytes(std::string_view bytes);

// What a control holds, as the core's UTF-8 bytes.
std::string BytesFromText(const wxString& text);
