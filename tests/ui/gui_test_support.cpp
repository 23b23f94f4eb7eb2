#include "tests/ui/gui_test_support.h"

#include <cstdlib>
#include <memory>
#include <thread>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

// Last: its macros (None, Bool, Status) would clash with names above.
#include <X11/Xlib.h>

namespace gui_test {

namespace {

void YieldOnce() {
  if (wxEventLoopBase* const loop = wxEventLoopBase::GetActive()) loop->Yield(true);
  std::this_thread::sleep_for(5ms);
}

// Polls for the window every 50 ms and deletes itself when done.
class CShownWatcher final : public wxTimer {
 public:
  CShownWatcher(wxString title, std::function<void(wxWindow&)> action)
      : m_title(std::move(title)), m_action(std::move(action)) {
    Start(50);
  }

  void Notify() override {
    for (wxWindow* const window : wxTopLevelWindows) {
      if (window->IsShown() && window->GetLabel() == m_title) {
        Stop();
        // The window's own loop must run the action, not this timer's call.
        window->CallAfter([action = m_action, window] { action(*window); });
        delete this;
        return;
      }
    }
    if (++m_nTries >= 200) {
      Stop();
      delete this;
    }
  }

 private:
  wxString m_title;
  std::function<void(wxWindow&)> m_action;
  int m_nTries = 0;
};

}  // namespace

void WaitUntilDeleted(const wxWindow& window) {
  PumpUntil([&] { return !wxPendingDelete.Member(&window); });
}

void DestroyAndWait(wxWindow& window) {
  window.Destroy();
  WaitUntilDeleted(window);
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    YieldOnce();
  }
  return true;
}

void Pump(std::chrono::milliseconds duration) {
  const auto deadline = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < deadline) YieldOnce();
}

void HandleInput() {
  // The simulator's own round trip leaves the server done with the input, so
  // the events it made are queued for the toolkit's connection ahead of the
  // reply to this one: once it is in, every one of them is at hand.
  if (_XDisplay* const display = wxGetX11Display()) XSync(display, False);
  if (wxEventLoopBase* const loop = wxEventLoopBase::GetActive()) loop->Yield(true);
}

void WhenShown(const wxString& title, std::function<void(wxWindow&)> action) {
  new CShownWatcher(title, std::move(action));
}

void ClickAt(const wxPoint& screenPoint, int button) {
  wxUIActionSimulator input;
  input.MouseMove(screenPoint);
  HandleInput();
  input.MouseClick(button);
  HandleInput();
}

void Click(const wxWindow& window) {
  const wxRect rect = window.GetScreenRect();
  ClickAt(rect.GetPosition() + wxPoint(rect.GetWidth() / 2, rect.GetHeight() / 2));
}

void PressKey(const wxWindow& window, int keyCode, int modifiers) {
  // Without a window manager the keyboard follows the pointer.
  wxUIActionSimulator input;
  const wxRect rect = window.GetScreenRect();
  input.MouseMove(rect.GetPosition() + wxPoint(rect.GetWidth() / 2, 2));
  HandleInput();
  input.Char(keyCode, modifiers);
  HandleInput();
}

void SaveScreenshot(wxWindow& window, const std::string& fileName) {
  // Drawn to the screen, and the X server done with it, before it is read.
  window.Update();
  HandleInput();
  const wxRect rect = window.GetScreenRect();
  const std::string command =
      "import -silent -window root -crop " + std::to_string(rect.GetWidth()) + "x" +
      std::to_string(rect.GetHeight()) + "+" + std::to_string(rect.GetX()) + "+" +
      std::to_string(rect.GetY()) + " +repage '" + ORLAVO_SCREENSHOT_DIR + "/" + fileName + "'";
  [[maybe_unused]] const int result = std::system(command.c_str());
}

std::unique_ptr<testing_support::CTempDir> FreshConfigHome() {
  auto dir = std::make_unique<testing_support::CTempDir>("orlavo-gui-");
  setenv("XDG_CONFIG_HOME", dir->Path().c_str(), 1);
  return dir;
}

}  // namespace gui_test
