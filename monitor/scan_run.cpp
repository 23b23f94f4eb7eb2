#include "monitor/scan_run.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <system_error>

CScanRun::CScanRun(MonitorRecord& record, CWindowText& window, CScanSteps& steps)
    : m_record(record), m_window(window), m_steps(steps) {}

CScanRun::~CScanRun() {
  // The owner stops the run before it goes; this only makes sure no thread
  // outlives the record it reads.
  if (m_worker.joinable()) {
    m_record.m_bStopRequest = 1;
    m_steps.WakeUp();
    m_worker.join();
  }
}

void CScanRun::BeginScanRun() {
  if (WorkerRunning()) return;  // one worker at a time
  // The tick count is the interval doubled: anything else than a positive
  // interval that survives the doubling would never come round.
  constexpr std::int32_t kLongest = std::numeric_limits<std::int32_t>::max() / 2;
  if (m_record.m_nScanTime <= 0 || m_record.m_nScanTime > kLongest) {
    m_record.m_nScanTime = kFallbackScanSeconds;
  }

  m_steps.SaveRecord();
  if (m_steps.CheckRouter() == 1) {
    m_window.SetHttpStatus(kCheckOk);
    ReportMail();  // at every start, whatever the mode and the address
  } else {
    m_window.SetHttpStatus(kCheckNg);
  }
  StartWorker();
}

void CScanRun::StopScanWorker(int pollMilliseconds) {
  if (!m_worker.joinable()) return;  // none started: no acknowledgement will come
  m_record.m_bStopRequest = 1;
  m_steps.WakeUp();
  do {
    m_window.DeliverPending();
    m_steps.SleepPoll(pollMilliseconds);
  } while (m_record.m_bStopRequest.load() != 0);
  m_worker.join();
  // Whatever the worker wrote last reaches the window now, before the caller
  // writes its own texts.
  m_window.DeliverPending();
}

void CScanRun::StartWorker() {
  try {
    m_worker = std::thread(&CScanRun::ScanThreadProc, this);
  } catch (const std::system_error&) {
    // No thread: WorkerRunning says so.
  }
}

int CScanRun::ScanThreadProc(CScanRun* run) {
  MonitorRecord& record = run->m_record;
  std::int32_t ticks = record.m_nScanTime * 2;
  int refresh = 0;
  for (;;) {
    // Nothing happens on the ticks before the next check, so they are slept
    // in one go: the schedule is that of single ticks, the wake-ups are not.
    const int sleep = static_cast<int>(std::min<std::int32_t>(ticks, kRefreshTicks + 1 - refresh));
    run->m_steps.SleepTicks(sleep);
    if (record.m_bStopRequest.load() == 1) {
      record.m_bStopRequest = 0;
      return 0;
    }
    ticks -= sleep;
    refresh += sleep;
    if (refresh > kRefreshTicks) {
      refresh = 0;
      run->m_steps.CheckRouter();  // quiet: title and record only
    }
    if (ticks != 0) continue;
    ticks = record.m_nScanTime * 2;
    run->PeriodicCheck();
  }
}

void CScanRun::PeriodicCheck() {
  if (m_steps.CheckRouter() == 0) {
    m_window.SetHttpStatus(kCheckNg);
    return;
  }
  m_window.SetHttpStatus(kCheckOk);
  if (m_record.m_nMailAlways.load() == 1 || m_record.m_bIpChanged != 0) {
    ReportMail();
  } else {
    m_window.SetMailStatus(kNoIpChange);
  }
}

void CScanRun::ReportMail() {
  if (m_steps.SendReport() == 1) {
    m_record.m_bIpChanged = 0;  // the change is reported; until then it stays pending
    m_window.SetMailStatus(kMailSent);
  } else {
    m_window.SetMailStatus(kMailFailed);
  }
}
