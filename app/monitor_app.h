#pragma once

#include <wx/app.h>

// The program: starts the HTTP layer, runs the main dialog modally and ends
// with it.
class CMonitorApp final : public wxApp {
 public:
  bool OnInit() override;
  int OnRun() override;
  int OnExit() override;
};
