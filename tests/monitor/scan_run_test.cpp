#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "monitor/scan_run.h"

namespace {

using namespace std::chrono_literals;

// Everything the scan run does, in order, each entry stamped with the tick of
// the virtual clock on which it happened: "60 check", "60 http:Check OK".
class CEventLog {
 public:
  void Add(const std::string& what) {
    std::lock_guard lock(m_mutex);
    m_entries.push_back(std::to_string(tick.load()) + " " + what);
  }
  std::vector<std::string> Entries() {
    std::lock_guard lock(m_mutex);
    return m_entries;
  }
  // Entries that begin with prefix after the tick, e.g. "mail:".
  std::vector<std::string> Matching(const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& e : Entries()) {
      if (e.substr(e.find(' ') + 1).rfind(prefix, 0) == 0) out.push_back(e);
    }
    return out;
  }
  std::atomic<int> tick{0};

 private:
  std::mutex m_mutex;
  std::vector<std::string> m_entries;
};

class CLoggingWindow final : public CWindowText {
 public:
  explicit CLoggingWindow(CEventLog& log) : m_log(log) {}
  void SetTitle(std::string_view) override {}
  void SetHttpStatus(std::string_view text) override { m_log.Add("http:" + std::string(text)); }
  void SetMailStatus(std::string_view text) override { m_log.Add("mail:" + std::string(text)); }
  void DeliverPending() override {}

 private:
  CEventLog& m_log;
};

// Waits, bounded, until the UI side has asked the worker to stop.
bool AwaitStopRequest(const MonitorRecord& record) {
  for (int i = 0; i < 10'000 && record.m_bStopRequest.load() != 1; ++i) {
    std::this_thread::sleep_for(1ms);
  }
  return record.m_bStopRequest.load() == 1;
}

// Steps on a virtual clock: a tick advances it without sleeping. At
// holdAtTick the clock stops until a stop has been requested, so a test sees
// exactly the ticks it asked for.
class CScriptedSteps final : public CScanSteps {
 public:
  CScriptedSteps(MonitorRecord& record, CEventLog& log) : m_record(record), m_log(log) {}

  std::function<int(int tick)> check = [](int) { return 1; };
  std::function<int(int tick)> mail = [](int) { return 1; };
  int holdAtTick = -1;
  std::atomic<bool> held{false};
  // How often the worker went to sleep.
  std::atomic<int> sleeps{0};

  void SaveRecord() override { m_log.Add("save"); }
  int CheckRouter() override {
    m_log.Add("check");
    return check(m_log.tick.load());
  }
  int SendReport() override {
    m_log.Add("send");
    return mail(m_log.tick.load());
  }
  // Tick by tick, so that holdAtTick falls inside a long sleep too; a stop
  // request ends the sleep with the tick it came in.
  void SleepTicks(int count) override {
    ++sleeps;
    for (int i = 0; i < count; ++i) {
      if (++m_log.tick == holdAtTick) Hold();
      if (m_record.m_bStopRequest.load() == 1) return;
    }
  }
  void WakeUp() override {}
  void SleepPoll(int) override { std::this_thread::sleep_for(1ms); }

  void Hold() {
    held = true;
    AwaitStopRequest(m_record);
  }

 private:
  MonitorRecord& m_record;
  CEventLog& m_log;
};

bool AwaitHeld(const CScriptedSteps& steps) {
  for (int i = 0; i < 10'000 && !steps.held.load(); ++i) std::this_thread::sleep_for(1ms);
  return steps.held.load();
}

struct ScanFixture {
  ScanFixture() : record(std::make_unique<MonitorRecord>()), window(log), steps(*record, log) {}
  // Starts a run with the interval, lets the worker reach the tick and stops it.
  void RunUntilTick(int seconds, int tick) {
    record->m_nScanTime = seconds;
    steps.holdAtTick = tick;
    CScanRun run(*record, window, steps);
    run.BeginScanRun();
    ASSERT_TRUE(AwaitHeld(steps));
    run.StopScanWorker(20);
    EXPECT_FALSE(run.WorkerRunning());
    EXPECT_EQ(record->m_bStopRequest.load(), 0) << "the worker acknowledges";
  }
  std::unique_ptr<MonitorRecord> record;
  CEventLog log;
  CLoggingWindow window;
  CScriptedSteps steps;
};

std::vector<std::string> At(std::initializer_list<std::string> entries) { return entries; }

TEST(ScanRun, RefreshAndPeriodicChecksFallOnTheirTicks) {
  ScanFixture f;
  f.RunUntilTick(30, 421);

  std::vector<std::string> expected = {"0 save", "0 check", "0 http:Check OK", "0 send",
                                       "0 mail:OK. Send."};
  for (int t = 1; t <= 421; ++t) {
    const std::string at = std::to_string(t) + " ";
    if (t % 21 == 0) expected.push_back(at + "check");  // refresh first when both fall
    if (t % 60 == 0) {
      for (const char* e : {"check", "http:Check OK", "mail:No IP Change"}) {
        expected.push_back(at + e);
      }
    }
  }
  EXPECT_EQ(f.log.Entries(), expected);
  // Once for each tick that has a check (20 refreshes and 7 periodic checks,
  // both on tick 420) and once more into tick 421.
  EXPECT_EQ(f.steps.sleeps.load(), 27) << "the ticks between checks are slept in one go";
}

TEST(ScanRun, IntervalThatIsNoPositiveNumberFallsBackToTenMinutes) {
  for (const int seconds : {0, -30}) {
    SCOPED_TRACE(seconds);
    ScanFixture f;
    f.RunUntilTick(seconds, 1201);
    EXPECT_EQ(f.record->m_nScanTime, 600);
    EXPECT_EQ(f.log.Matching("http:"), At({"0 http:Check OK", "1200 http:Check OK"}));
  }
}

struct MailCase {
  const char* name;
  int mailAlways;
  std::set<int> checkFailsAt;  // ticks at which the router gives no address
  std::set<int> changeSeenAt;  // ticks at which a check sees a new address
  std::set<int> mailFailsAt;   // ticks at which the mail server refuses
  std::vector<std::string> http;
  std::vector<std::string> sends;
  std::vector<std::string> mail;
};

TEST(ScanRun, MailsAtStartOnChangeAndAlwaysModeAndRetriesRefusedChanges) {
  const MailCase cases[] = {
      {"start mails an unchanged address, then nothing is due",
       0,
       {},
       {},
       {},
       {"0 http:Check OK", "60 http:Check OK", "120 http:Check OK", "180 http:Check OK"},
       {"0 send"},
       {"0 mail:OK. Send.", "60 mail:No IP Change", "120 mail:No IP Change",
        "180 mail:No IP Change"}},
      {"always mode mails at every periodic check",
       1,
       {},
       {},
       {},
       {"0 http:Check OK", "60 http:Check OK", "120 http:Check OK", "180 http:Check OK"},
       {"0 send", "60 send", "120 send", "180 send"},
       {"0 mail:OK. Send.", "60 mail:OK. Send.", "120 mail:OK. Send.", "180 mail:OK. Send."}},
      {"a refused change report is retried until it goes",
       0,
       {},
       {60},
       {60, 120},
       {"0 http:Check OK", "60 http:Check OK", "120 http:Check OK", "180 http:Check OK"},
       {"0 send", "60 send", "120 send", "180 send"},
       {"0 mail:OK. Send.", "60 mail:Error.", "120 mail:Error.", "180 mail:OK. Send."}},
      {"a refused start report without a change is not retried",
       0,
       {},
       {},
       {0},
       {"0 http:Check OK", "60 http:Check OK", "120 http:Check OK", "180 http:Check OK"},
       {"0 send"},
       {"0 mail:Error.", "60 mail:No IP Change", "120 mail:No IP Change", "180 mail:No IP Change"}},
      {"a change seen by a refresh is mailed at the next periodic check",
       0,
       {},
       {21},
       {},
       {"0 http:Check OK", "60 http:Check OK", "120 http:Check OK", "180 http:Check OK"},
       {"0 send", "60 send"},
       {"0 mail:OK. Send.", "60 mail:OK. Send.", "120 mail:No IP Change", "180 mail:No IP Change"}},
      {"router unreachable at start: no mail, the worker goes on",
       0,
       {0},
       {},
       {},
       {"0 http:Check NG", "60 http:Check OK", "120 http:Check OK", "180 http:Check OK"},
       {},
       {"60 mail:No IP Change", "120 mail:No IP Change", "180 mail:No IP Change"}},
      {"a failed periodic check leaves the mail field and keeps a change pending",
       0,
       {120},
       {60},
       {60},
       {"0 http:Check OK", "60 http:Check OK", "120 http:Check NG", "180 http:Check OK"},
       {"0 send", "60 send", "180 send"},
       {"0 mail:OK. Send.", "60 mail:Error.", "180 mail:OK. Send."}},
  };
  for (const MailCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScanFixture f;
    f.record->m_nMailAlways = c.mailAlways;
    MonitorRecord& record = *f.record;
    f.steps.check = [&](int tick) {
      if (c.changeSeenAt.count(tick)) record.m_bIpChanged = 1;
      return c.checkFailsAt.count(tick) ? 0 : 1;
    };
    f.steps.mail = [&](int tick) { return c.mailFailsAt.count(tick) ? 0 : 1; };
    f.RunUntilTick(30, 181);
    EXPECT_EQ(f.log.Matching("http:"), c.http);
    EXPECT_EQ(f.log.Matching("send"), c.sends);
    EXPECT_EQ(f.log.Matching("mail:"), c.mail);
  }
}

TEST(ScanRun, ModeChangedDuringARunActsAtTheNextPeriodicCheck) {
  ScanFixture f;
  f.steps.check = [&](int tick) {
    if (tick == 63) f.record->m_nMailAlways = 1;  // the radio button, between two checks
    return 1;
  };
  f.RunUntilTick(30, 121);
  EXPECT_EQ(f.log.Matching("send"), At({"0 send", "120 send"}));
}

TEST(ScanRun, StopBetweenTicksEndsTheWorkerAtItsNextTick) {
  ScanFixture f;
  f.RunUntilTick(30, 5);
  const auto entries = f.log.Entries();
  EXPECT_EQ(entries.back(), "0 mail:OK. Send.") << "nothing after the start's texts";
  EXPECT_EQ(f.log.tick.load(), 5);
}

TEST(ScanRun, StopDuringALongMailCompletesAfterTheMailAndOneTick) {
  ScanFixture f;
  f.steps.mail = [&](int tick) {
    if (tick == 60) f.steps.Hold();  // the mail is still going when Stop is pressed
    return 1;
  };
  f.record->m_nMailAlways = 1;
  f.RunUntilTick(30, -1);
  EXPECT_EQ(f.log.tick.load(), 61);
  EXPECT_EQ(f.log.Entries().back(), "60 mail:OK. Send.");
}

class CRunWithoutWorker final : public CScanRun {
 public:
  using CScanRun::CScanRun;

 protected:
  void StartWorker() override {}
};

TEST(ScanRun, WithoutAWorkerTheStartsOutcomeStaysAndStopReturnsAtOnce) {
  ScanFixture f;
  f.record->m_nScanTime = 30;
  CRunWithoutWorker run(*f.record, f.window, f.steps);
  run.BeginScanRun();
  run.StopScanWorker(20);
  EXPECT_FALSE(run.WorkerRunning());
  EXPECT_EQ(f.record->m_bStopRequest.load(), 0);
  EXPECT_EQ(f.log.Entries(),
            At({"0 save", "0 check", "0 http:Check OK", "0 send", "0 mail:OK. Send."}));
}

}  // namespace
