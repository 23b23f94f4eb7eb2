#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "live/live_scan_steps.h"
#include "monitor/monitor_record.h"
#include "monitor/scan_run.h"
#include "monitor/window_text_queue.h"

// Control ids of the main dialog.
enum EMonitorDlgId : int {
  kIdExit = 1,
  kIdStartScan = 1000,
  kIdIpAddress = 1001,
  kIdUserName = 1002,
  kIdPassword = 1003,
  kIdScanTime = 1004,
  kIdMailTo = 1005,
  kIdOnlyWhenChanged = 1006,
  kIdAlwaysInforms = 1007,
  kIdFromAddress = 1008,
  kIdSmtpServer = 1009,
  kIdHttpStatus = 1010,
  kIdMailStatus = 1011,
  kIdStopScan = 1012,
  kIdSubject = 1013,
  kIdHelp = 1014,
  // The about-box item of the system menu and of the context menu.
  kIdAboutBox = 16,
};

// Help topics: 0x20000 plus the dialog's template number.
inline constexpr int kHelpTopicMainDialog = 0x20000 + 102;
inline constexpr int kHelpTopicAboutBox = 0x20000 + 100;

inline constexpr char kStatusStop[] = "STOP";

// The program's main window. It holds the monitor record, shows it in its
// controls and runs scans over it. The about box and help are the
// application's: it hands them in, as it may the message box.
class CMonitorDlg final : public wxDialog {
 public:
  using MessageBoxFunction = std::function<void(const wxString& text)>;
  // Shows help at a topic, or at its contents for 0; false when it cannot.
  using HelpFunction = std::function<bool(int topic)>;
  // Runs the about box modally over the dialog.
  using AboutBoxFunction = std::function<void()>;
  // A text field of the record that an edit of the dialog shows.
  using RecordText = char (MonitorRecord::*)[256];

  // The product's scans use the default options; tests route them to their
  // own servers and files.
  explicit CMonitorDlg(wxWindow* parent = nullptr, const LiveScanOptions& options = {});
  ~CMonitorDlg() override;
  CMonitorDlg(const CMonitorDlg&) = delete;
  CMonitorDlg& operator=(const CMonitorDlg&) = delete;

  // Stops a running scan before the window goes.
  bool Destroy() override;
  // Initialises the dialog (settings into the record and the controls) before
  // the window first shows, as the platform's dialogs are: every state a
  // control changes to once it is on the screen is animated by the toolkit.
  bool Show(bool show = true) override;

  // Without these the dialog has no help and no about box, and shows the
  // program's message box.
  void SetHelp(HelpFunction help);
  void SetAboutBox(AboutBoxFunction aboutBox);
  void SetMessageBox(MessageBoxFunction messageBox);

  const MonitorRecord& Record() const { return m_record; }
  bool WorkerRunning() const { return m_scanRun.WorkerRunning(); }

  // The about-box item's command: runs the about box modally.
  void ShowAboutBox();
  // Help at a topic, or at the contents for 0; the failure message otherwise.
  void ShowHelp(int topic);

 private:
  void CreateControls();
  void OnInitDialog();
  void OnStartScan(wxCommandEvent& event);
  void OnStopScan(wxCommandEvent& event);
  void OnOnlyWhenChanged(wxCommandEvent& event);
  void OnAlwaysInforms(wxCommandEvent& event);
  void OnHelp(wxCommandEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnClose(wxCloseEvent& event);
  void PopupAboutMenu(const wxPoint& position);
  void OnIpAddressText(wxCommandEvent& event);
  // Ends a modal run with code; shown without one, the dialog goes.
  void EndMonitorDialog(int code);
  void SetIdleState();

  MonitorRecord m_record;
  CWindowTextQueue m_windowText;
  CLiveScanSteps m_scanSteps;
  CScanRun m_scanRun;
  HelpFunction m_help;
  AboutBoxFunction m_aboutBox;
  MessageBoxFunction m_messageBox;
  // The edits that show a text of the record, each with its field: filled
  // from the record at initialisation, read into it at Start.
  std::vector<std::pair<RecordText, wxTextCtrl*>> m_recordEdits;
  // The router address as it last fitted in its box.
  wxString m_ipAddressFitting;

  wxTextCtrl* m_editSubject = nullptr;
  wxButton* m_btnExit = nullptr;
  wxButton* m_btnStop = nullptr;
  wxRadioButton* m_radioAlways = nullptr;
  wxRadioButton* m_radioChanged = nullptr;
  wxButton* m_btnStart = nullptr;
  wxTextCtrl* m_editMailStatus = nullptr;
  wxTextCtrl* m_editHttpStatus = nullptr;
  wxChoice* m_comboScanTime = nullptr;
  wxTextCtrl* m_editSmtpServer = nullptr;
  wxTextCtrl* m_editFromAddress = nullptr;
  wxTextCtrl* m_editMailTo = nullptr;
  wxTextCtrl* m_editPassword = nullptr;
  wxTextCtrl* m_editUserName = nullptr;
  wxTextCtrl* m_editIpAddress = nullptr;
  wxButton* m_btnHelp = nullptr;
};
