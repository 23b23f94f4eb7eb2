#include "ui/monitor_dlg.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "app/main_dialog_parts.h"
#include "monitor/fixed_text.h"
#include "res/strings.h"
#include "settings/settings_file.h"
#include "tests/support/http_test_server.h"
#include "tests/support/loopback_server.h"
#include "tests/support/smtp_test_server.h"
#include "tests/ui/gui_test_support.h"
#include "ui/utf8_text.h"

namespace {

using namespace gui_test;
using namespace testing_support;

constexpr char kRouterPage[] =
    "<html><body>ADSL IP:203.0.113.45<br>UP (1024kbps) DOWN (8192kbps)</body></html>";

template <typename T>
T& Control(wxWindow& dialog, int id) {
  T* const control = dynamic_cast<T*>(dialog.FindWindow(id));
  EXPECT_NE(control, nullptr) << "control " << id;
  return *control;
}

// The dialog as the program shows it, without a modal loop of its own, and
// with its scans routed to the test's servers.
class MonitorDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    m_configDir = FreshConfigHome();
    m_configHome = m_configDir->Path().string();
  }

  void TearDown() override {
    if (m_pDialog != nullptr) {
      DestroyAndWait(*m_pDialog);
    }
  }

  CMonitorDlg& Open(int httpPort = UnusedLoopbackPort(), int smtpPort = UnusedLoopbackPort()) {
    LiveScanOptions options;
    options.fetch.port = httpPort;
    options.fetch.connectTimeout = 2s;
    options.fetch.totalTimeout = 5s;
    options.smtp.port = smtpPort;
    options.smtp.connectTimeout = 2s;
    options.smtp.replyTimeout = 5s;
    options.smtp.sendTimeout = 5s;
    options.tick = 20ms;
    m_pDialog = new CMonitorDlg(nullptr, options);
    AttachAboutBoxAndHelp(*m_pDialog);
    m_pDialog->Show();
    // Shown, and given the keyboard: the X server's focus comes in later.
    EXPECT_TRUE(PumpUntil(
        [this] { return m_pDialog->IsShownOnScreen() && wxWindow::FindFocus() != nullptr; }));
    return *m_pDialog;
  }

  wxTextCtrl& Edit(int id) { return Control<wxTextCtrl>(*m_pDialog, id); }
  wxButton& Button(int id) { return Control<wxButton>(*m_pDialog, id); }

  void ExpectIdle() {
    EXPECT_EQ(Edit(kIdHttpStatus).GetValue(), "STOP");
    EXPECT_EQ(Edit(kIdMailStatus).GetValue(), "STOP");
    EXPECT_TRUE(Button(kIdExit).IsEnabled());
    EXPECT_TRUE(Button(kIdStartScan).IsEnabled());
    EXPECT_FALSE(Button(kIdStopScan).IsEnabled());
    EXPECT_FALSE(m_pDialog->WorkerRunning());
  }

  // A button press as the button sends it.
  void Press(int id) {
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(&Button(id));
    Button(id).ProcessWindowEvent(event);
  }

  void PointAtLoopback() {
    Edit(kIdIpAddress).ChangeValue("127.0.0.1");
    Edit(kIdSmtpServer).ChangeValue("127.0.0.1");
  }

  std::unique_ptr<testing_support::CTempDir> m_configDir;
  std::string m_configHome;
  CMonitorDlg* m_pDialog = nullptr;
};

TEST_F(MonitorDlgTest, FirstStartShowsTheDefaultsIdle) {
  CMonitorDlg& dialog = Open();
  MonitorRecord defaults;
  LoadSettings(defaults, m_configHome + "/" + kSettingsFileName);

  EXPECT_EQ(Edit(kIdIpAddress).GetValue(), "192.168.1.1");
  EXPECT_EQ(Edit(kIdUserName).GetValue(), "user");
  EXPECT_EQ(Edit(kIdPassword).GetValue(), "vorp");
  EXPECT_TRUE(Edit(kIdPassword).HasFlag(wxTE_PASSWORD));
  EXPECT_EQ(BytesFromText(Edit(kIdMailTo).GetValue()), FieldText(defaults.m_szMailTo[0]));
  EXPECT_EQ(BytesFromText(Edit(kIdFromAddress).GetValue()), FieldText(defaults.m_szFromAddress));
  EXPECT_EQ(BytesFromText(Edit(kIdSmtpServer).GetValue()), FieldText(defaults.m_szSmtpServer));
  EXPECT_EQ(Edit(kIdSubject).GetValue(), "Hi! Master. Change IP Report Mail");
  EXPECT_EQ(Control<wxChoice>(dialog, kIdScanTime).GetStringSelection(), "10min.");
  EXPECT_EQ(Control<wxChoice>(dialog, kIdScanTime).GetCount(), 9u);
  EXPECT_TRUE(Control<wxRadioButton>(dialog, kIdOnlyWhenChanged).GetValue());
  EXPECT_FALSE(Control<wxRadioButton>(dialog, kIdAlwaysInforms).GetValue());
  EXPECT_FALSE(Control<wxRadioButton>(dialog, kIdAlwaysInforms).IsEnabled());
  ExpectIdle();
  EXPECT_EQ(wxWindow::FindFocus(), &Button(kIdExit));
  EXPECT_EQ(dialog.GetTitle(), "Orlavo");
  EXPECT_FALSE(dialog.HasFlag(wxRESIZE_BORDER));
  SaveScreenshot(dialog, "main_dialog.png");
}

TEST_F(MonitorDlgTest, RadioButtonsStayExclusive) {
  CMonitorDlg& dialog = Open();
  auto& changed = Control<wxRadioButton>(dialog, kIdOnlyWhenChanged);
  auto& always = Control<wxRadioButton>(dialog, kIdAlwaysInforms);
  // The disabled button cannot be clicked; its handler is reached by command.
  wxCommandEvent pick(wxEVT_RADIOBUTTON, kIdAlwaysInforms);
  pick.SetEventObject(&always);
  always.ProcessWindowEvent(pick);
  EXPECT_FALSE(changed.GetValue());
  EXPECT_TRUE(always.GetValue());
  EXPECT_EQ(dialog.Record().m_nMailAlways.load(), 1);
  Click(changed);
  EXPECT_TRUE(changed.GetValue());
  EXPECT_FALSE(always.GetValue());
  EXPECT_EQ(dialog.Record().m_nMailAlways.load(), 0);
}

TEST_F(MonitorDlgTest, StartChecksAndMailsThenStopReturnsToIdle) {
  HttpTestServer router(AnswerAlways(HttpResponse(200, kRouterPage)));
  CSmtpTestServer mail{SmtpScript{}};
  CMonitorDlg& dialog = Open(router.Port(), mail.Port());
  PointAtLoopback();

  Click(Button(kIdStartScan));
  ASSERT_TRUE(PumpUntil([&] { return dialog.WorkerRunning(); }));
  EXPECT_EQ(Edit(kIdHttpStatus).GetValue(), "Check OK");
  EXPECT_EQ(Edit(kIdMailStatus).GetValue(), "OK. Send.");
  EXPECT_TRUE(dialog.GetTitle().StartsWith("Orlavo<IP:203.0.113.45>")) << dialog.GetTitle();
  EXPECT_FALSE(Button(kIdExit).IsEnabled());
  EXPECT_FALSE(Button(kIdStartScan).IsEnabled());
  EXPECT_TRUE(Button(kIdStopScan).IsEnabled());
  EXPECT_EQ(FieldText(dialog.Record().m_szRouterAddress), "127.0.0.1");
  EXPECT_EQ(dialog.Record().m_nScanTime, 600);
  SaveScreenshot(dialog, "main_dialog_scanning.png");

  const wxString title = dialog.GetTitle();
  Click(Button(kIdStopScan));
  ExpectIdle();
  EXPECT_EQ(dialog.GetTitle(), title);
  // Nothing the worker wrote may arrive after the stop.
  Pump(300ms);
  ExpectIdle();
}

TEST_F(MonitorDlgTest, StartWithoutRouterShowsCheckNgAndKeepsScanning) {
  CMonitorDlg& dialog = Open();
  PointAtLoopback();
  Click(Button(kIdStartScan));
  ASSERT_TRUE(PumpUntil([&] { return dialog.WorkerRunning(); }));
  EXPECT_EQ(Edit(kIdHttpStatus).GetValue(), "Check NG");
  EXPECT_EQ(Edit(kIdMailStatus).GetValue(), "STOP");
  Click(Button(kIdStopScan));
  ExpectIdle();
}

// The focus follows the buttons, so Escape and F1 keep reaching the dialog.
TEST_F(MonitorDlgTest, FocusMovesToTheButtonThatCanBePressedNext) {
  CMonitorDlg& dialog = Open();
  std::vector<wxString> messages;
  dialog.SetMessageBox([&](const wxString& text) { messages.push_back(text); });
  AttachAboutBoxAndHelp(dialog, {m_configHome + "/missing.HLP"});
  PointAtLoopback();
  Click(Button(kIdStartScan));
  ASSERT_TRUE(PumpUntil([&] { return dialog.WorkerRunning(); }));
  EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == &Button(kIdStopScan); }));
  PressKey(dialog, WXK_F1);
  EXPECT_EQ(messages.size(), 1u);
  Click(Button(kIdStopScan));
  ExpectIdle();
  EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == &Button(kIdStartScan); }));
  PressKey(dialog, WXK_F1);
  EXPECT_EQ(messages.size(), 2u);
}

// Shown as the program shows it, without a modal loop: Escape during a scan
// stops the scan and the dialog goes.
TEST_F(MonitorDlgTest, EscapeWithoutAModalLoopStopsTheScanAndEndsTheDialog) {
  CMonitorDlg& dialog = Open();
  bool bDestroyed = false;
  dialog.Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == &dialog) bDestroyed = true;
    event.Skip();
  });
  PointAtLoopback();
  Click(Button(kIdStartScan));
  ASSERT_TRUE(PumpUntil([&] { return dialog.WorkerRunning(); }));
  PressKey(dialog, WXK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return bDestroyed; }));
  if (bDestroyed) m_pDialog = nullptr;
}

// The router address box does not scroll: what does not fit is refused.
TEST_F(MonitorDlgTest, RouterAddressTakesWhatFitsItsWidth) {
  Open();
  wxTextCtrl& box = Edit(kIdIpAddress);
  const int width = box.GetClientSize().GetWidth();
  box.ChangeValue("");
  Click(box);
  box.SetFocus();
  for (int i = 0; i < 40; ++i) PressKey(box, 'w');
  const wxString typed = box.GetValue();
  EXPECT_GT(typed.length(), 3u);
  EXPECT_LT(typed.length(), 40u);
  EXPECT_LE(box.GetTextExtent(typed).GetWidth(), width);
  // A paste in the middle keeps what fits and the text after it.
  box.SetValue("1.2");
  box.SetInsertionPoint(1);
  box.WriteText(wxString('9', 80));
  const wxString pasted = box.GetValue();
  EXPECT_TRUE(pasted.StartsWith("19")) << pasted;
  EXPECT_TRUE(pasted.EndsWith(".2")) << pasted;
  EXPECT_LE(box.GetTextExtent(pasted).GetWidth(), width);
  EXPECT_LT(pasted.length(), 80u);
}

TEST_F(MonitorDlgTest, RecipientLinesBecomeSlots) {
  const std::string longLine(70, 'x');
  std::string lines25;
  for (int i = 1; i <= 25; ++i)
    lines25 += "r" + std::to_string(i) + "@example.com" + (i < 25 ? "\n" : "");
  struct Case {
    const char* name;
    std::string text;
    int count;
    std::vector<std::string> slots;
  };
  const std::vector<Case> cases = {
      {"three lines",
       "a@example.com\nb@example.com\nc@example.com",
       3,
       {"a@example.com", "b@example.com", "c@example.com"}},
      {"trailing line break",
       "a@example.com\nb@example.com\n",
       3,
       {"a@example.com", "b@example.com", ""}},
      {"empty box", "", 1, {""}},
      {"25 lines", lines25, 20, {"r1@example.com", "r2@example.com"}},
      {"70 characters", longLine, 1, {std::string(59, 'x')}},
  };
  CMonitorDlg& dialog = Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Edit(kIdMailTo).ChangeValue(c.text);
    Click(Button(kIdStartScan));
    ASSERT_TRUE(PumpUntil([&] { return dialog.WorkerRunning(); }));
    EXPECT_EQ(dialog.Record().m_nMailCount, c.count);
    for (std::size_t i = 0; i < c.slots.size(); ++i)
      EXPECT_EQ(FieldText(dialog.Record().m_szMailTo[i]), c.slots[i]);
    if (c.count == 20) {
      EXPECT_EQ(FieldText(dialog.Record().m_szMailTo[19]), "r20@example.com");
    }
    Click(Button(kIdStopScan));
    ExpectIdle();
  }
}

TEST_F(MonitorDlgTest, SavedRecipientsShowOnePerLine) {
  MonitorRecord saved;
  LoadSettings(saved, SettingsFilePath());
  saved.m_nMailCount = 3;
  CopyText(saved.m_szMailTo[0], "a@example.com");
  CopyText(saved.m_szMailTo[1], "b@example.com");
  CopyText(saved.m_szMailTo[2], "c@example.com");
  SaveSettings(saved, SettingsFilePath());
  Open();
  EXPECT_EQ(Edit(kIdMailTo).GetValue(), "a@example.com\nb@example.com\nc@example.com");
}

TEST_F(MonitorDlgTest, EnterInTheRecipientBoxStartsALine) {
  Open();
  wxTextCtrl& box = Edit(kIdMailTo);
  box.ChangeValue("");
  Click(box);
  box.SetFocus();
  PressKey(box, 'a');
  PressKey(box, WXK_RETURN);
  PressKey(box, 'b');
  EXPECT_EQ(box.GetValue(), "a\nb");
}

TEST_F(MonitorDlgTest, HelpThatCannotOpenShowsTheMessage) {
  CMonitorDlg& dialog = Open();
  std::vector<wxString> messages;
  dialog.SetMessageBox([&](const wxString& text) { messages.push_back(text); });
  AttachAboutBoxAndHelp(dialog, {m_configHome + "/missing.HLP"});
  Click(Button(kIdHelp));
  PressKey(Button(kIdExit), WXK_F1);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], wxString::FromUTF8(kHelpFailedText));
  EXPECT_EQ(messages[1], wxString::FromUTF8(kHelpFailedText));
  ExpectIdle();
}

TEST_F(MonitorDlgTest, HelpBookOpensAtContentsAndBothTopics) {
  CMonitorDlg& dialog = Open();
  std::vector<wxString> messages;
  dialog.SetMessageBox([&](const wxString& text) { messages.push_back(text); });
  AttachAboutBoxAndHelp(dialog, {ORLAVO_TEST_HELP_BOOK});
  // A page the viewer cannot open is only logged.
  auto* const log = new wxLogBuffer;
  wxLog* const previous = wxLog::SetActiveTarget(log);
  for (const int topic : {0, kHelpTopicMainDialog, kHelpTopicAboutBox}) {
    SCOPED_TRACE(topic);
    dialog.ShowHelp(topic);
    Pump(100ms);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(log->GetBuffer(), "");
  }
  wxLog::SetActiveTarget(previous);
  delete log;
  dialog.ShowHelp(0x20000 + 999);
  EXPECT_EQ(messages.size(), 1u);
  const auto helpShown = [&] {
    return std::any_of(
        wxTopLevelWindows.begin(), wxTopLevelWindows.end(),
        [&](const wxWindow* window) { return window != &dialog && window->IsShown(); });
  };
  ASSERT_TRUE(PumpUntil(helpShown));
  for (wxWindow* const window : wxTopLevelWindows) {
    if (window != &dialog && window->IsShown()) {
      SaveScreenshot(*window, "help_viewer.png");
      window->Close(true);
    }
  }
}

// EEnding the dialog while a scan runs: the worker is stopped before the window
// goes, the buttons are reset and both fields read "STOP".
TEST_F(MonitorDlgTest, ClosingDuringAScanStopsTheWorkerFirst) {
  CMonitorDlg& dialog = Open();
  dialog.Hide();
  dialog.CallAfter([&] {
    Press(kIdStartScan);
    EXPECT_TRUE(dialog.WorkerRunning());
    dialog.Close();
  });
  EXPECT_EQ(dialog.ShowModal(), wxID_CANCEL);
  EXPECT_TRUE(dialog.WorkerRunning());
  dialog.Destroy();
  m_pDialog = nullptr;
  EXPECT_FALSE(dialog.WorkerRunning());
  EXPECT_EQ(dialog.Record().m_bScanning, 0);
  EXPECT_EQ(Control<wxTextCtrl>(dialog, kIdHttpStatus).GetValue(), "STOP");
  EXPECT_EQ(Control<wxTextCtrl>(dialog, kIdMailStatus).GetValue(), "STOP");
  EXPECT_TRUE(Control<wxButton>(dialog, kIdExit).IsEnabled());
  EXPECT_FALSE(Control<wxButton>(dialog, kIdStopScan).IsEnabled());
  WaitUntilDeleted(dialog);
}

TEST_F(MonitorDlgTest, ExitEndsTheDialogWithoutWritingSettings) {
  CMonitorDlg& dialog = Open();
  dialog.Hide();
  dialog.CallAfter([&] { Press(kIdExit); });
  EXPECT_EQ(dialog.ShowModal(), wxID_OK);
  EXPECT_FALSE(wxFileExists(m_configHome + "/" + kSettingsFileName));
}

// The about box from the dialog's context menu, and the three ways to end it.
enum class EOpen { kRightClick, kShiftF10, kMenuKey };
enum class EEnd { kOk, kEscape, kCloseBox };
struct AboutCase {
  const char* name;
  EOpen open;
  EEnd end;
  int code;
};

class AboutBoxTest : public MonitorDlgTest, public testing::WithParamInterface<AboutCase> {};

TEST_P(AboutBoxTest, ContextMenuOpensItAndItEnds) {
  const AboutCase& c = GetParam();
  CMonitorDlg& dialog = Open();
  bool bShown = false;
  int code = 0;
  WhenShown(kAboutTitle, [&](wxWindow& about) {
    bShown = true;
    auto* const box = dynamic_cast<wxDialog*>(&about);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->IsModal());
    SaveScreenshot(about, "about_box.png");
    switch (c.end) {
      case EEnd::kOk:
        Click(*about.FindWindow(wxID_OK));
        break;
      case EEnd::kEscape:
        PressKey(about, WXK_ESCAPE);
        break;
      case EEnd::kCloseBox:
        about.Close();
        break;
    }
    EXPECT_TRUE(PumpUntil([box] { return !box->IsModal(); }));
    code = box->GetReturnCode();
  });
  // The menu has one item: Down selects it, Return takes it, once it is open.
  dialog.Bind(wxEVT_MENU_OPEN, [&dialog](wxMenuEvent& event) {
    dialog.CallAfter([] {
      wxUIActionSimulator keys;
      keys.Char(WXK_DOWN);
      keys.Char(WXK_RETURN);
    });
    event.Skip();
  });
  const wxPoint background = dialog.ClientToScreen(dialog.ConvertDialogToPixels(wxPoint(150, 38)));
  switch (c.open) {
    case EOpen::kRightClick:
      ClickAt(background, wxMOUSE_BTN_RIGHT);
      break;
    case EOpen::kShiftF10:
      PressKey(dialog, WXK_F10, wxMOD_SHIFT);
      break;
    case EOpen::kMenuKey:
      PressKey(dialog, WXK_MENU);
      break;
  }
  ASSERT_TRUE(PumpUntil([&] { return code != 0; }, 15s)) << "shown: " << bShown;
  EXPECT_EQ(code, c.code);
  Pump(200ms);
  for (wxWindow* const window : wxTopLevelWindows) {
    EXPECT_FALSE(window->IsShown() && window->GetLabel() == kAboutTitle);
  }
  ExpectIdle();
}

INSTANTIATE_TEST_SUITE_P(
    Ways, AboutBoxTest,
    testing::Values(AboutCase{"RightClickOk", EOpen::kRightClick, EEnd::kOk, wxID_OK},
                    AboutCase{"ShiftF10Escape", EOpen::kShiftF10, EEnd::kEscape, wxID_CANCEL},
                    AboutCase{"MenuKeyCloseBox", EOpen::kMenuKey, EEnd::kCloseBox, wxID_CANCEL}),
    [](const testing::TestParamInfo<AboutCase>& param) { return param.param.name; });

}  // namespace
