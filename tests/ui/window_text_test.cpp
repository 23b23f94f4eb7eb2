#include "ui/dialog_window_text.h"

#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include "tests/ui/gui_test_support.h"

namespace {

using namespace gui_test;

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
  DestroyAndWait(*frame);
}

}  // namespace
