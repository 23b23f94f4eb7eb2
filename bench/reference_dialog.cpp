// A plain dialog with the kinds of controls the main window has (labels,
// edits, a multi-line edit, a choice, two radio buttons, group boxes,
// buttons), in the same font, linked with libcurl as the program is. It is
// what startup_bench compares the program's start-up with.

#include <curl/curl.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/wx.h>

namespace {

class CReferenceDialog final : public wxDialog {
 public:
  CReferenceDialog()
      : wxDialog(nullptr, wxID_ANY, "Reference", wxDefaultPosition, wxSize(420, 420)) {
    SetFont(wxFontInfo(10).Family(wxFONTFAMILY_ROMAN).FaceName("Times New Roman"));
    new wxStaticBox(this, wxID_ANY, "Status", wxPoint(10, 90), wxSize(400, 50));
    new wxStaticBox(this, wxID_ANY, "Mail", wxPoint(10, 145), wxSize(400, 110));
    new wxStaticBox(this, wxID_ANY, "Subject", wxPoint(10, 260), wxSize(400, 45));
    const char* const labels[] = {"Address", "User", "Password", "Interval", "HTTP", "Mail"};
    for (int i = 0; i < 6; ++i)
      new wxStaticText(this, wxID_ANY, labels[i], wxPoint(15, 10 + 22 * i));
    for (int i = 0; i < 3; ++i) {
      new wxTextCtrl(this, wxID_ANY, "", wxPoint(90, 8 + 22 * i), wxSize(120, 20),
                     i == 2 ? wxTE_PASSWORD : 0);
    }
    const wxString intervals[] = {"30Sec.", "1min.",  "5min.",  "10min.", "15min.",
                                  "20min.", "30min.", "45min.", "60min."};
    auto* const choice =
        new wxChoice(this, wxID_ANY, wxPoint(90, 74), wxSize(90, 24), 9, intervals);
    choice->SetSelection(3);
    new wxTextCtrl(this, wxID_ANY, "STOP", wxPoint(60, 110), wxSize(100, 24),
                   wxTE_READONLY | wxTE_CENTRE);
    new wxTextCtrl(this, wxID_ANY, "STOP", wxPoint(250, 110), wxSize(100, 24),
                   wxTE_READONLY | wxTE_CENTRE);
    new wxTextCtrl(this, wxID_ANY, "", wxPoint(20, 165), wxSize(160, 24),
                   wxTE_MULTILINE | wxTE_DONTWRAP | wxHSCROLL | wxVSCROLL);
    new wxRadioButton(this, wxID_ANY, "Only when changed", wxPoint(20, 200), wxDefaultSize,
                      wxRB_GROUP);
    new wxRadioButton(this, wxID_ANY, "Always it informs", wxPoint(20, 220));
    for (int i = 0; i < 3; ++i)
      new wxTextCtrl(this, wxID_ANY, "", wxPoint(200, 165 + 28 * i), wxSize(190, 20));
    const char* const buttons[] = {"EXIT", "Start", "Stop"};
    for (int i = 0; i < 3; ++i) {
      new wxButton(this, wxID_ANY, buttons[i], wxPoint(40 + 130 * i, 320), wxSize(90, 26));
    }
    new wxButton(this, wxID_ANY, "HELP", wxPoint(40, 352), wxSize(350, 24));
  }
};

class CReferenceApp final : public wxApp {
 public:
  // libcurl started as the program starts it.
  bool OnInit() override { return curl_global_init(CURL_GLOBAL_NOTHING) == CURLE_OK; }
  int OnExit() override {
    curl_global_cleanup();
    return wxApp::OnExit();
  }
  int OnRun() override {
    auto* const dialog = new CReferenceDialog();
    dialog->ShowModal();
    dialog->Destroy();
    return 0;
  }
};

}  // namespace

wxIMPLEMENT_APP(CReferenceApp);
