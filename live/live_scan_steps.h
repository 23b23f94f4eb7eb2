#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "mail/report_mail.h"
#include "monitor/monitor_record.h"
#include "monitor/scan_run.h"
#include "monitor/status_fetch.h"
#include "monitor/window_text.h"
#include "settings/settings_file.h"

// Where the product's scan steps go. The defaults are the product's: port 80,
// port 25, the user's settings file, 500 ms ticks. Tests point them at their
// own loopback servers and files and shorten the tick.
struct LiveScanOptions {
  FetchOptions fetch;
  SmtpOptions smtp;
  std::string settingsPath = SettingsFilePath();
  std::chrono::milliseconds tick{500};
};

// The record's whole way out: the router, the mail server and the settings
// file, loaded and saved at the one path of the options.
class CLiveScanSteps final : public CScanSteps {
 public:
  CLiveScanSteps(MonitorRecord& record, CWindowText& window, LiveScanOptions options = {});

  // The settings file into the record (LoadSettings); the dialog's, before
  // any scan.
  void LoadRecord();
  void SaveRecord() override;
  int CheckRouter() override;
  int SendReport() override;
  void SleepTicks(int count) override;
  void WakeUp() override;
  void SleepPoll(int milliseconds) override;

 private:
  MonitorRecord& m_record;
  CWindowText& m_window;
  LiveScanOptions m_options;
  std::mutex m_wakeMutex;
  std::condition_variable m_wake;
};
