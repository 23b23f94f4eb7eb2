#pragma once

#include <chrono>
#include <string>

#include "mail/report_mail.h"
#include "monitor/monitor_record.h"
#include "monitor/scan_run.h"
#include "monitor/status_fetch.h"
#include "monitor/window_text.h"

// Where the product's scan steps go. The defaults are the product's: port 80,
// port 25, the user's settings file, 500 ms ticks. Tests point them at their
// own loopback servers and files and shorten the tick.
struct LiveScanOptions {
  FetchOptions fetch;
  SmtpOptions smtp;
  std::string settingsPath;  // empty: the user's settings file
  std::chrono::milliseconds tick{500};
};

class CLiveScanSteps final : public CScanSteps {
 public:
  CLiveScanSteps(MonitorRecord& record, CWindowText& window, LiveScanOptions options = {});

  void SaveSettings() override;
  int CheckStatus() override;
  int SendReportMail() override;
  void SleepTick() override;
  void SleepPoll(int milliseconds) override;

  LiveScanOptions& Options() { return m_options; }

 private:
  MonitorRecord& m_record;
  CWindowText& m_window;
  LiveScanOptions m_options;
};
