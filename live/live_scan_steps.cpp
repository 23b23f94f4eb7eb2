#include "live/live_scan_steps.h"

#include <thread>

#include "monitor/status_check.h"

CLiveScanSteps::CLiveScanSteps(MonitorRecord& record, CWindowText& window, LiveScanOptions options)
    : m_record(record), m_window(window), m_options(std::move(options)) {}

void CLiveScanSteps::LoadSettings() { ::LoadSettings(m_record, m_options.settingsPath); }

void CLiveScanSteps::SaveSettings() { ::SaveSettings(m_record, m_options.settingsPath); }

int CLiveScanSteps::CheckStatus() { return ::CheckStatus(m_record, m_window, m_options.fetch); }

int CLiveScanSteps::SendReportMail() { return ::SendReportMail(m_record, m_options.smtp); }

void CLiveScanSteps::SleepTick() { std::this_thread::sleep_for(m_options.tick); }

void CLiveScanSteps::SleepPoll(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
