#pragma once

#include <thread>

#include "monitor/monitor_record.h"
#include "monitor/window_text.h"

// Texts of the two status fields.
inline constexpr char kCheckOk[] = "Check OK";
inline constexpr char kCheckNg[] = "Check NG";
inline constexpr char kMailSent[] = "OK. Send.";
inline constexpr char kMailFailed[] = "Error.";
inline constexpr char kNoIpChange[] = "No IP Change";

// Ticks between two quiet refresh checks, less one: a refresh falls on every
// 21st tick.
inline constexpr int kRefreshTicks = 20;
// Falls back to this interval when a scan starts without a positive one.
inline constexpr int kFallbackScanSeconds = 600;

// What a scan run does outside the record: the product's steps reach the
// router, the mail server and the settings file and really sleep; tests give
// their own.
class CScanSteps {
 public:
  virtual ~CScanSteps() = default;
  // The record's settings to the settings file (the product: SaveSettings).
  virtual void SaveRecord() = 0;
  // Fetches and reads the router's page, 1 or 0 (the product: CheckStatus).
  virtual int CheckRouter() = 0;
  // Mails the report, 1 or 0 (the product: SendReportMail).
  virtual int SendReport() = 0;
  // Sleeps count worker ticks (500 ms each in the product) in one wait, or
  // less once m_bStopRequest is 1.
  virtual void SleepTicks(int count) = 0;
  // Ends the current or next SleepTicks of the worker; called on the UI
  // thread after it has set m_bStopRequest.
  virtual void WakeUp() = 0;
  // One poll of the stop handshake.
  virtual void SleepPoll(int milliseconds) = 0;
};

// One scan run at a time over a record: the first check and mail on the
// calling thread, then a worker thread that repeats them, until a stop.
// All member functions are called from the UI thread.
class CScanRun {
 public:
  CScanRun(MonitorRecord& record, CWindowText& window, CScanSteps& steps);
  virtual ~CScanRun();
  CScanRun(const CScanRun&) = delete;
  CScanRun& operator=(const CScanRun&) = delete;

  // m_nScanTime holds the interval in seconds. Saves the settings, checks and
  // mails at once, then starts the worker whatever the outcome. Does nothing
  // while a worker runs.
  void BeginScanRun();

  // Asks the worker to end and waits, polling every pollMilliseconds and
  // delivering the worker's pending texts, until it has acknowledged; then
  // joins it. Returns at once when no worker runs.
  void StopScanWorker(int pollMilliseconds);

  bool WorkerRunning() const { return m_worker.joinable(); }

  // The worker's loop; returns 0 when a stop request ends it.
  static int ScanThreadProc(CScanRun* run);

 protected:
  // Starts the worker thread. When no thread can be created the scan goes on
  // without one: WorkerRunning stays false and a stop returns at once.
  virtual void StartWorker();

 private:
  void PeriodicCheck();
  void ReportMail();

  MonitorRecord& m_record;
  CWindowText& m_window;
  CScanSteps& m_steps;
  std::thread m_worker;
};
