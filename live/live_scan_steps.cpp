#include "live/live_scan_steps.h"

#include <thread>

#include "monitor/status_check.h"

CLiveScanSteps::CLiveScanSteps(MonitorRecord& record, CWindowText& window, LiveScanOptions options)
    : m_record(record), m_window(window), m_options(std::move(options)) {}

void CLiveScanSteps::LoadRecord() { LoadSettings(m_record, m_options.settingsPath); }

void CLiveScanSteps::SaveRecord() { SaveSettings(m_record, m_options.settingsPath); }

int CLiveScanSteps::CheckRouter() { return CheckStatus(m_record, m_window, m_options.fetch); }

int CLiveScanSteps::SendReport() { return SendReportMail(m_record, m_options.smtp); }

void CLiveScanSteps::SleepTicks(int count) {
  std::unique_lock lock(m_wakeMutex);
  m_wake.wait_for(lock, count * m_options.tick,
                  [this] { return m_record.m_bStopRequest.load() == 1; });
}

void CLiveScanSteps::WakeUp() {
  // Taking the lock orders this after the sleeper's look at the request, so
  // the notification cannot fall between that look and its wait.
  {
    const std::lock_guard lock(m_wakeMutex);  // and let go at once
  }
  m_wake.notify_all();
}

void CLiveScanSteps::SleepPoll(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
