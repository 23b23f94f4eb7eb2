#include "ui/dialog_window_text.h"

#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include "tests/ui/gui_test_support.h"
#include "ui/utf8_text.h"

namespace {

using namespace gui_test;

TEST(TextFromBytesTest, ShowsBytesThatAreNotUtf8AsReplacements) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u32string expected;
  };
  const Case cases[] = {
      {"ascii", "Orlavo<IP:1.2.3.4>", U"Orlavo<IP:1.2.3.4>"},
      {"half-width katakana", "\xEF\xBD\xBF\xEF\xBD\xB9", U"\uFF7F\uFF79"},
      {"latin-1 byte", "caf\xE9!", U"caf\uFFFD!"},
      {"cut sequence at the end", "ab\xE3\x81", U"ab\uFFFD\uFFFD"},
      {"overlong slash", "\xC0\xAF", U"\uFFFD\uFFFD"},
      {"surrogate", "\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},
      {"four bytes", "\xF0\x9F\x98\x80", U"\U0001F600"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    wxString expected;
    for (const char32_t ch : c.expected) expected += wxUniChar(static_cast<wxUint32>(ch));
    EXPECT_EQ(TextFromBytes(c.bytes), expected);
  }
}

// Texts from another thread reach the window in the order written, through
// the event loop or at the next DeliverPending.
TEST(DialogWindowTextTest, WorkerTextsArriveInOrderOnTheUiThread) {
  auto* const frame = new wxFrame(nullptr, wxID_ANY, "window text");
  auto* const http = new wxTextCtrl(frame, wxID_ANY);
  auto* const mail = new wxTextCtrl(frame, wxID_ANY, "", wxPoint(0, 40));
  frame->Show();
  CWindowTextQueue text;
  AttachWindowText(text, *frame, *http, *mail);

  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) text.SetHttpStatus("http " + std::to_string(i));
    text.SetMailStatus("caf\xE9");
    text.SetTitle("Orlavo<IP:\xFF>");
  });
  worker.join();
  EXPECT_EQ(http->GetValue(), "");
  EXPECT_TRUE(PumpUntil([&] { return frame->GetTitle() != "window text"; }));
  EXPECT_EQ(http->GetValue(), "http 99");
  EXPECT_EQ(mail->GetValue(), wxString::FromUTF8("caf\xEF\xBF\xBD"));
  EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("Orlavo<IP:\xEF\xBF\xBD>"));

  std::thread late([&] { text.SetHttpStatus("late"); });
  late.join();
  text.DeliverPending();
  EXPECT_EQ(http->GetValue(), "late");

  text.Detach();
  frame->Destroy();
  Pump(100ms);
}

}  // namespace
