#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <wx/gdicmn.h>
#include <wx/string.h>
#include <wx/window.h>

#include "tests/support/temp_dir.h"

namespace gui_test {

using namespace std::chrono_literals;

// Runs the event loop until done() holds or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s);
// Runs the event loop for a while: for what must not happen in that time.
void Pump(std::chrono::milliseconds duration = 200ms);
// Handles every event the X server has made of the input sent so far.
void HandleInput();

// Runs action once, inside whatever event loop runs then, as soon as a shown
// top-level window with this title exists (looking for at most 10 s).
void WhenShown(const wxString& title, std::function<void(wxWindow&)> action);

// A top-level window goes at the next idle time after Destroy(): these wait
// for that, so that the next test starts without it.
void WaitUntilDeleted(const wxWindow& window);
void DestroyAndWait(wxWindow& window);

// Real pointer and keyboard input through the X server, handled by the time
// the call returns: what the window does at once on it is done.
void ClickAt(const wxPoint& screenPoint, int button = 1);
void Click(const wxWindow& window);
void PressKey(const wxWindow& window, int keyCode, int modifiers = 0);

// Saves what the screen shows of the window (frame included) into the build
// directory.
void SaveScreenshot(wxWindow& window, const std::string& fileName);

// A fresh, empty configuration directory, set as XDG_CONFIG_HOME, removed
// with everything in it when the owner goes.
std::unique_ptr<testing_support::CTempDir> FreshConfigHome();

}  // namespace gui_test
