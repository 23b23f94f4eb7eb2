// GoogleTest inside a running wxWidgets application: the tests drive real
// windows, so the toolkit must be up before the first test and an event loop
// must be active for them to pump.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/log.h>

namespace {
class CTestApp final : public wxApp {
 public:
  bool OnInit() override { return true; }
};
}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  wxApp::SetInstance(new CTestApp);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) return 1;
  // Toolkit messages go to the test's output, not into message boxes.
  delete wxLog::SetActiveTarget(new wxLogStderr);
  int result = 0;
  {
    wxGUIEventLoop loop;
    const wxEventLoopActivator activator(&loop);
    result = RUN_ALL_TESTS();
  }
  wxTheApp->OnExit();
  wxEntryCleanup();
  return result;
}
