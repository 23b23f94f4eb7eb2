#pragma once

#include <wx/app.h>

// The program: starts the HTTP layer, shows the main dialog and ends with it.
// The dialog runs under the application's own event loop, not a modal one, so
// that help stays usable beside it.
class CMonitorApp final : public wxApp {
 public:
  bool OnInit() override;
  int OnRun() override;
  int OnExit() override;
};
