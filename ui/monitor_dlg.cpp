#include "ui/monitor_dlg.h"

#include <utility>
#include <vector>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/menu.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "monitor/fixed_text.h"
#include "monitor/recipient_lines.h"
#include "monitor/scan_intervals.h"
#include "res/strings.h"
#include "ui/accessibility.h"
#include "ui/app_icon.h"
#include "ui/compact_style.h"
#include "ui/dialog_units.h"
#include "ui/dialog_window_text.h"
#include "ui/framed_text.h"
#include "ui/program_message.h"
#include "ui/single_radio_button.h"
#include "ui/system_menu.h"
#include "ui/utf8_text.h"

namespace {

constexpr int kStopPollMs = 20;
constexpr int kDestroyPollMs = 200;
constexpr int kSingleLineLimit = 256;
static_assert(sizeof(MonitorRecord::m_szRouterAddress) == kSingleLineLimit);

constexpr long kEdit = wxBORDER_DEFAULT;
constexpr long kStatus = wxTE_READONLY | wxTE_CENTRE | wxBORDER_SUNKEN;

// One edit of the dialog as the template places it (in dialog units), with
// the text of its label, which is also the name a screen reader announces for
// it, and the record's text it shows and edits, read back up to
// kSingleLineLimit-1 bytes; none for the recipient list and the status
// fields, which are filled otherwise.
struct EditField {
  int id = 0;
  struct {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
  } rect;
  long style = 0;
  const char* label = nullptr;
  CMonitorDlg::RecordText field = nullptr;
};

constexpr long kMailToStyle = kEdit | wxTE_MULTILINE | wxTE_DONTWRAP | wxVSCROLL;
constexpr EditField kIpAddressEdit{
    kIdIpAddress, {43, 5, 63, 12}, kEdit, "IPAddress", &MonitorRecord::m_szRouterAddress};
constexpr EditField kUserNameEdit{
    kIdUserName, {43, 20, 63, 12}, kEdit, "USER", &MonitorRecord::m_szUserName};
constexpr EditField kPasswordEdit{kIdPassword,
                                  {150, 20, 66, 12},
                                  kEdit | wxTE_PASSWORD,
                                  "Password",
                                  &MonitorRecord::m_szPassword};
constexpr EditField kMailToEdit{
    kIdMailTo, {13, 95, 92, 13}, kMailToStyle, "Announcement Mail-Address"};
constexpr EditField kFromAddressEdit{kIdFromAddress,
                                     {113, 100, 110, 12},
                                     kEdit,
                                     "Your Mail Address",
                                     &MonitorRecord::m_szFromAddress};
constexpr EditField kSmtpServerEdit{kIdSmtpServer,
                                    {113, 125, 110, 12},
                                    kEdit,
                                    "SMTP Server Address",
                                    &MonitorRecord::m_szSmtpServer};
constexpr EditField kHttpStatusEdit{kIdHttpStatus, {46, 60, 56, 17}, kStatus, "HTTP"};
constexpr EditField kMailStatusEdit{kIdMailStatus, {150, 60, 61, 17}, kStatus, "Mail"};
constexpr EditField kSubjectEdit{
    kIdSubject, {14, 151, 208, 12}, kEdit, "Mail Subject", &MonitorRecord::m_szSubject};
// The interval list's label, and its name.
constexpr char kScanTimeLabel[] = "ScanTime";

// Where the keyboard's context-menu keys open the menu.
bool IsContextMenuKey(const wxKeyEvent& event) {
  return event.GetKeyCode() == WXK_MENU || event.GetKeyCode() == WXK_WINDOWS_MENU ||
         (event.GetKeyCode() == WXK_F10 && event.GetModifiers() == wxMOD_SHIFT);
}

}  // namespace

CMonitorDlg::CMonitorDlg(wxWindow* parent, const LiveScanOptions& options)
    : m_scanSteps(m_record, m_windowText, options),
      m_scanRun(m_record, m_windowText, m_scanSteps),
      m_messageBox(ShowProgramMessage) {
  ApplyCompactControlStyle();
  Create(parent, wxID_ANY, kMainTitle, wxDefaultPosition, wxDefaultSize,
         wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX);
  StyleAsMainWindow(*this);
  SetFont(wxFontInfo(10).Family(wxFONTFAMILY_ROMAN).FaceName("Times New Roman"));
  CreateControls();
  SetClientSize(ConvertDialogToPixels(wxSize(239, 219)));
  KeepWindowSize(*this);
  AppendSystemMenuItem(*this, kIdAboutBox, TextFromBytes(kAboutMenuText));
  SetIcons(AppIconBundle());
  Centre(wxBOTH);
  AttachWindowText(m_windowText, *this, *m_editHttpStatus, *m_editMailStatus);

  Bind(wxEVT_BUTTON, &CMonitorDlg::OnStartScan, this, kIdStartScan);
  Bind(wxEVT_RADIOBUTTON, &CMonitorDlg::OnOnlyWhenChanged, this, kIdOnlyWhenChanged);
  Bind(wxEVT_RADIOBUTTON, &CMonitorDlg::OnAlwaysInforms, this, kIdAlwaysInforms);
  Bind(wxEVT_BUTTON, &CMonitorDlg::OnStopScan, this, kIdStopScan);
  Bind(wxEVT_BUTTON, &CMonitorDlg::OnHelp, this, kIdHelp);
  const auto exit = [this](wxCommandEvent& /*event*/) { EndMonitorDialog(wxID_OK); };
  Bind(wxEVT_BUTTON, exit, kIdExit);
  const auto aboutBox = [this](wxCommandEvent& /*event*/) { ShowAboutBox(); };
  Bind(wxEVT_MENU, aboutBox, kIdAboutBox);
  Bind(wxEVT_CONTEXT_MENU, &CMonitorDlg::OnContextMenu, this);
  Bind(wxEVT_CHAR_HOOK, &CMonitorDlg::OnCharHook, this);
  Bind(wxEVT_CLOSE_WINDOW, &CMonitorDlg::OnClose, this);
  m_editIpAddress->Bind(wxEVT_TEXT, &CMonitorDlg::OnIpAddressText, this);
}

CMonitorDlg::~CMonitorDlg() {
  // Normally Destroy has stopped the scan. A dialog deleted directly drops
  // what the worker still writes; the scan run then stops and joins it.
  m_windowText.Detach();
}

void CMonitorDlg::CreateControls() {
  const CDialogUnits units(*this);
  // The accessible names, set once every control is there.
  std::vector<std::pair<wxWindow*, const char*>> names;
  const auto edit = [this, &units, &names](const EditField& field) {
    const wxRect r = units.Rect(field.rect.x, field.rect.y, field.rect.width, field.rect.height);
    auto* const control =
        new wxTextCtrl(this, field.id, wxEmptyString, r.GetPosition(), r.GetSize(), field.style);
    if (field.field != nullptr) m_recordEdits.emplace_back(field.field, control);
    names.emplace_back(control, field.label);
    return control;
  };
  const auto groupBox = [this, &units](const char* text, int x, int y, int width, int height) {
    const wxRect r = units.Rect(x, y, width, height);
    return new wxStaticBox(this, wxID_ANY, text, r.GetPosition(), r.GetSize());
  };
  const auto radio = [this, &units](int id, const char* text, int x, int y, int width, int height) {
    const wxRect r = units.Rect(x, y, width, height);
    // Each a group of its own; the handlers keep them exclusive.
    return new CSingleRadioButton(this, id, text, r);
  };
  constexpr auto kCentred = CDialogUnits::ELine::kVerticallyCentred;

  // Creation order is the tab order.
  m_btnExit = units.Button(kIdExit, "EXIT", 26, 172, 50, 14);
  m_btnStart = units.Button(kIdStartScan, "Start Scan", 98, 172, 50, 14);
  m_editIpAddress = edit(kIpAddressEdit);
  auto* const ipAddressLabel = units.Label(kIpAddressEdit.label, 7, 7, 35, 10, kCentred);
  m_editUserName = edit(kUserNameEdit);
  auto* const userLabel = units.Label(kUserNameEdit.label, 7, 22, 29, 8, kCentred);
  m_editPassword = edit(kPasswordEdit);
  auto* const passwordLabel = units.Label(kPasswordEdit.label, 115, 20, 29, 10, kCentred);
  CreateFramedText(this, units.Rect(7, 203, 225, 9), kCopyrightLine, wxBORDER_SIMPLE);
  const wxRect scanTime = units.Rect(43, 35, 49, 13);
  m_comboScanTime = new wxChoice(this, kIdScanTime, scanTime.GetPosition(), scanTime.GetSize());
  names.emplace_back(m_comboScanTime, kScanTimeLabel);
  auto* const scanTimeLabel = units.Label(kScanTimeLabel, 7, 36, 33, 10, kCentred);
  m_editMailTo = edit(kMailToEdit);
  m_radioChanged = radio(kIdOnlyWhenChanged, "Only when changed", 17, 112, 73, 10);
  m_radioAlways = radio(kIdAlwaysInforms, "Always it informs", 17, 122, 68, 12);
  m_radioAlways->Disable();
  auto* const mailToBox = groupBox(kMailToEdit.label, 7, 80, 225, 62);
  auto* const fromLabel = units.Label(kFromAddressEdit.label, 109, 90, 65, 8);
  m_editFromAddress = edit(kFromAddressEdit);
  auto* const smtpLabel = units.Label(kSmtpServerEdit.label, 109, 115, 60, 8);
  m_editSmtpServer = edit(kSmtpServerEdit);
  auto* const httpLabel = units.Label(kHttpStatusEdit.label, 26, 66, 20, 8, kCentred);
  auto* const mailLabel = units.Label(kMailStatusEdit.label, 130, 66, 20, 8, kCentred);
  m_editHttpStatus = edit(kHttpStatusEdit);
  m_editMailStatus = edit(kMailStatusEdit);
  auto* const statusBox = groupBox("STATUS Monitor", 7, 50, 225, 30);
  m_btnStop = units.Button(kIdStopScan, "Stop Scan", 167, 172, 50, 14);
  m_editSubject = edit(kSubjectEdit);
  auto* const subjectBox = groupBox(kSubjectEdit.label, 7, 142, 225, 26);
  m_btnHelp = units.Button(kIdHelp, "HELP", 26, 189, 191, 13);
  ApplyOneLineTextBoxStyle(*m_editMailTo);

  // The toolkit would name each control after the label created next to it,
  // which the template puts after the control, not before.
  for (const auto& [control, name] : names) SetAccessibleName(*control, name);
  const std::pair<wxWindow*, wxWindow*> labels[] = {
      {ipAddressLabel, m_editIpAddress},
      {userLabel, m_editUserName},
      {passwordLabel, m_editPassword},
      {scanTimeLabel, m_comboScanTime},
      {fromLabel, m_editFromAddress},
      {smtpLabel, m_editSmtpServer},
      {httpLabel, m_editHttpStatus},
      {mailLabel, m_editMailStatus},
      {mailToBox, m_editMailTo},
      {subjectBox, m_editSubject},
      // It frames two fields that have labels of their own: left alone, the
      // toolkit would make it the label of the next control, "Stop Scan".
      {statusBox, statusBox},
  };
  for (const auto& [text, control] : labels) SetAccessibleLabelFor(*text, *control);
}

void CMonitorDlg::SetHelp(HelpFunction help) { m_help = std::move(help); }

void CMonitorDlg::SetAboutBox(AboutBoxFunction aboutBox) { m_aboutBox = std::move(aboutBox); }

void CMonitorDlg::SetMessageBox(MessageBoxFunction messageBox) {
  m_messageBox = std::move(messageBox);
}

bool CMonitorDlg::Show(bool show) {
  if (show && !IsShown()) OnInitDialog();
  return wxDialog::Show(show);
}

void CMonitorDlg::OnInitDialog() {
  m_scanSteps.LoadRecord();
  for (const auto& [field, edit] : m_recordEdits) {
    edit->ChangeValue(TextFromBytes(FieldText(m_record.*field)));
  }
  m_ipAddressFitting = m_editIpAddress->GetValue();
  const bool bAlways = m_record.m_nMailAlways.load() != 0;
  m_radioChanged->SetValue(!bAlways);
  m_radioAlways->SetValue(bAlways);
  m_windowText.SetHttpStatus(kStatusStop);
  m_windowText.SetMailStatus(kStatusStop);
  m_comboScanTime->Clear();
  for (const ScanInterval& interval : kScanIntervals) {
    m_comboScanTime->Append(interval.label);
  }
  // An index outside the table leaves the list without a selection.
  m_comboScanTime->SetSelection(IsScanIndex(m_record.m_nScanTime) ? m_record.m_nScanTime
                                                                  : wxNOT_FOUND);
  m_editMailTo->ChangeValue(TextFromBytes(JoinRecipients(m_record)));
  m_btnStop->Disable();
  m_record.m_bStopRequest = 0;
  m_record.m_bScanning = 0;
  m_windowText.SetTitle(kMainTitle);
  m_btnExit->SetFocus();
}

void CMonitorDlg::OnStartScan(wxCommandEvent& /*event*/) {
  m_record.m_bScanning = 1;
  m_btnExit->Disable();
  m_btnStop->Enable();
  // Before Start goes: a disabled button would keep the focus from the
  // dialog, and with it Escape and F1.
  m_btnStop->SetFocus();
  m_btnStart->Disable();
  for (const auto& [field, edit] : m_recordEdits) {
    CopyText(m_record.*field, BytesFromText(edit->GetValue()));
  }
  SplitRecipients(m_record, BytesFromText(m_editMailTo->GetValue()));
  const int selection = m_comboScanTime->GetSelection();
  // No selection: not a number of seconds, which the scan run replaces.
  m_record.m_nScanTime = selection == wxNOT_FOUND ? -1 : ScanIntervalAt(selection).seconds;
  // The first check and mail hold this thread for up to 90 s (the fetch's and
  // the mail's total limits, 30 s and 60 s): the user sees the new buttons and
  // the busy cursor meanwhile. Only drawing runs here; input waits until the
  // scan has started.
  const wxBusyCursor busy;
  if (wxEventLoopBase* const loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_UI);
  m_scanRun.BeginScanRun();
}

void CMonitorDlg::OnStopScan(wxCommandEvent& /*event*/) {
  m_scanRun.StopScanWorker(kStopPollMs);
  m_btnStart->Enable();
  m_btnStart->SetFocus();
  SetIdleState();
}

void CMonitorDlg::SetIdleState() {
  m_btnExit->Enable();
  m_btnStart->Enable();
  // As at Start: the focus must not stay on a disabled button.
  if (FindFocus() == m_btnStop) m_btnStart->SetFocus();
  m_btnStop->Disable();
  // The worker has ended: what it wrote is shown before "STOP" replaces it.
  m_windowText.SetHttpStatus(kStatusStop);
  m_windowText.SetMailStatus(kStatusStop);
  m_record.m_bScanning = 0;
}

void CMonitorDlg::OnOnlyWhenChanged(wxCommandEvent& /*event*/) {
  m_radioChanged->SetValue(true);
  m_radioAlways->SetValue(false);
  m_record.m_nMailAlways = 0;
}

void CMonitorDlg::OnAlwaysInforms(wxCommandEvent& /*event*/) {
  m_radioChanged->SetValue(false);
  m_radioAlways->SetValue(true);
  m_record.m_nMailAlways = 1;
}

void CMonitorDlg::OnHelp(wxCommandEvent& /*event*/) { ShowHelp(0); }

void CMonitorDlg::ShowHelp(int topic) {
  bool bShown = false;
  {
    const wxBusyCursor busy;
    bShown = m_help && m_help(topic);
  }
  if (!bShown) m_messageBox(TextFromBytes(kHelpFailedText));
}

void CMonitorDlg::ShowAboutBox() {
  if (m_aboutBox) m_aboutBox();
}

void CMonitorDlg::OnContextMenu(wxContextMenuEvent& event) {
  // Edit fields and the list keep the toolkit's own menu.
  const auto* const source = dynamic_cast<wxWindow*>(event.GetEventObject());
  const bool bOurs = source == this || dynamic_cast<const wxStaticText*>(source) != nullptr ||
                     dynamic_cast<const wxStaticBox*>(source) != nullptr ||
                     dynamic_cast<const wxPanel*>(source) != nullptr;
  if (!bOurs) {
    event.Skip();
    return;
  }
  PopupAboutMenu(event.GetPosition());
}

void CMonitorDlg::PopupAboutMenu(const wxPoint& screenPosition) {
  wxMenu menu;
  menu.Append(kIdAboutBox, TextFromBytes(kAboutMenuText));
  wxPoint position = wxDefaultPosition;
  if (screenPosition != wxDefaultPosition) {
    position = ScreenToClient(screenPosition);
  } else if (const wxWindow* const focus = FindFocus();
             focus != nullptr && focus->GetParent() == this) {
    position = focus->GetPosition() + wxPoint(0, focus->GetSize().GetHeight());
  }
  PopupMenu(&menu, position);
}

void CMonitorDlg::OnCharHook(wxKeyEvent& event) {
  if (event.GetKeyCode() == WXK_ESCAPE && event.GetModifiers() == wxMOD_NONE) {
    EndMonitorDialog(wxID_CANCEL);
    return;
  }
  if (event.GetKeyCode() == WXK_F1 && event.GetModifiers() == wxMOD_NONE) {
    ShowHelp(kHelpTopicMainDialog);
    return;
  }
  if (IsContextMenuKey(event) && dynamic_cast<wxTextCtrl*>(FindFocus()) == nullptr) {
    PopupAboutMenu(wxDefaultPosition);
    return;
  }
  event.Skip();
}

void CMonitorDlg::OnClose(wxCloseEvent& /*event*/) { EndMonitorDialog(wxID_CANCEL); }

void CMonitorDlg::EndMonitorDialog(int code) {
  if (IsModal()) {
    EndModal(code);
  } else {
    // Shown without a modal loop: the dialog goes, and the program with it.
    SetReturnCode(code);
    Destroy();
    // The toolkit deletes the window when it next goes idle, and only an
    // input event wakes it: a press that came as none (a screen reader's
    // action) would leave the dialog waiting.
    wxWakeUpIdle();
  }
}

void CMonitorDlg::OnIpAddressText(wxCommandEvent& event) {
  // The box does not scroll sideways: what does not fit in its width is
  // refused, typed or pasted, and a paste keeps what fits.
  const wxString text = m_editIpAddress->GetValue();
  const int width = TextAreaWidth(*m_editIpAddress);
  if (m_editIpAddress->GetTextExtent(text).GetWidth() <= width) {
    m_ipAddressFitting = text;
    event.Skip();
    return;
  }
  const wxString& before = m_ipAddressFitting;
  std::size_t prefix = 0;
  while (prefix < before.length() && prefix < text.length() && before[prefix] == text[prefix])
    ++prefix;
  std::size_t suffix = 0;
  while (suffix < before.length() - prefix && suffix < text.length() - prefix &&
         before[before.length() - 1 - suffix] == text[text.length() - 1 - suffix])
    ++suffix;
  wxString inserted = text.substr(prefix, text.length() - prefix - suffix);
  const wxString head = before.substr(0, prefix);
  const wxString tail = before.substr(before.length() - suffix);
  while (!inserted.empty() &&
         m_editIpAddress->GetTextExtent(head + inserted + tail).GetWidth() > width)
    inserted.RemoveLast();
  m_ipAddressFitting = head + inserted + tail;
  m_editIpAddress->ChangeValue(m_ipAddressFitting);
  m_editIpAddress->SetInsertionPoint(static_cast<long>(prefix + inserted.length()));
}

bool CMonitorDlg::Destroy() {
  if (m_record.m_bScanning == 1) {
    m_scanRun.StopScanWorker(kDestroyPollMs);
    SetIdleState();
  }
  return wxDialog::Destroy();
}
