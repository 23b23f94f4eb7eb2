// A whole scan run over real loopback servers: the router's page changes
// after the first check, a refresh check shows the new address, the next
// periodic check mails it.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "live/live_scan_steps.h"
#include "monitor/fixed_text.h"
#include "monitor/scan_run.h"
#include "monitor/status_parse.h"
#include "tests/support/http_test_server.h"
#include "tests/support/recording_window.h"
#include "tests/support/smtp_test_server.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using testing_support::Connection;
using testing_support::CRecordingWindow;
using testing_support::CSmtpTestServer;
using testing_support::HttpRequest;
using testing_support::HttpResponse;
using testing_support::HttpTestServer;
using testing_support::SmtpScript;

std::string StatusPage(const char* address) {
  return std::string("<td>ADSL IP:") + address + "</td><td>(Up 1024kbps / Down 8064kbps)</td>";
}

TEST(ScanRunLive, ChangeOfAddressSeenByRefreshIsMailedAtThePeriodicCheck) {
  std::atomic<int> pages{0};
  HttpTestServer router([&](const HttpRequest&, Connection& connection) {
    // The first page (the start's check) shows A, every later one B.
    const char* address = pages++ == 0 ? "203.0.113.1" : "203.0.113.2";
    connection.Write(HttpResponse(200, StatusPage(address)));
    return false;
  });
  CSmtpTestServer mailServer{SmtpScript{}};

  const testing_support::CTempDir directory("orlavo-scan-");

  auto record = std::make_unique<MonitorRecord>();
  CopyText(record->m_szRouterAddress, "127.0.0.1");
  CopyText(record->m_szUserName, "user");
  CopyText(record->m_szPassword, "vorp");
  CopyText(record->m_szSmtpServer, "127.0.0.1");
  CopyText(record->m_szFromAddress, "owner@example.com");
  CopyText(record->m_szSubject, "Report");
  record->m_nMailCount = 1;
  CopyText(record->m_szMailTo[0], "friend@example.com");
  record->m_nScanTime = 30;  // 60 ticks

  CRecordingWindow window;
  LiveScanOptions options;
  options.fetch.port = router.Port();
  options.smtp.port = mailServer.Port();
  options.settingsPath = directory.File("Orlavo.INI");
  options.tick = 2ms;
  CLiveScanSteps steps(*record, window, options);
  CScanRun run(*record, window, steps);

  run.BeginScanRun();
  // Two periodic checks: the first mails the change, the second finds none.
  EXPECT_TRUE(window.AwaitEvent("mail:No IP Change", 1));
  run.StopScanWorker(20);
  EXPECT_FALSE(run.WorkerRunning());

  const std::string titleA = "title:Orlavo<IP:203.0.113.1> <UL: 1024kbps> <DL: 8064kbps>";
  const std::string titleB = "title:Orlavo<IP:203.0.113.2> <UL: 1024kbps> <DL: 8064kbps>";
  const auto events = window.Events();
  ASSERT_GE(events.size(), 7u);
  EXPECT_EQ(std::vector<std::string>(events.begin(), events.begin() + 4),
            (std::vector<std::string>{titleA, "http:Check OK", "mail:OK. Send.", titleB}))
      << "the start mails A; the first refresh shows B before any periodic check";
  const auto firstPeriodic = std::find(events.begin() + 3, events.end(), "http:Check OK");
  ASSERT_NE(firstPeriodic, events.end());
  EXPECT_EQ(*(firstPeriodic + 1), "mail:OK. Send.");

  const std::string received = mailServer.Received(2);
  const auto firstMail = received.find("Global IP Address<http://203.0.113.1>");
  const auto secondMail = received.find("Global IP Address<http://203.0.113.2>");
  EXPECT_NE(firstMail, std::string::npos);
  EXPECT_NE(secondMail, std::string::npos);
  EXPECT_LT(firstMail, secondMail);
  EXPECT_EQ(received.find("Global IP Address", secondMail + 1), std::string::npos)
      << "no third report: the address did not change again";
  EXPECT_EQ(record->m_bIpChanged, 0);

  std::ifstream saved(options.settingsPath);
  std::stringstream settings;
  settings << saved.rdbuf();
  EXPECT_NE(settings.str().find("SCAN-TIME=0"), std::string::npos) << settings.str();
}

// The live steps, telling when the worker has gone into its wait.
class CWatchedSteps final : public CScanSteps {
 public:
  explicit CWatchedSteps(CLiveScanSteps& steps) : m_steps(steps) {}
  void SaveRecord() override { m_steps.SaveRecord(); }
  int CheckRouter() override { return m_steps.CheckRouter(); }
  int SendReport() override { return m_steps.SendReport(); }
  void SleepTicks(int count) override {
    asleep = true;
    m_steps.SleepTicks(count);
  }
  void WakeUp() override { m_steps.WakeUp(); }
  void SleepPoll(int milliseconds) override { m_steps.SleepPoll(milliseconds); }

  std::atomic<bool> asleep{false};

 private:
  CLiveScanSteps& m_steps;
};

TEST(ScanRunLive, StopEndsTheWorkersWaitAtOnce) {
  const auto directory =
      std::filesystem::temp_directory_path() / ("orlavo-stop-" + std::to_string(::getpid()));
  std::filesystem::create_directories(directory);
  auto record = std::make_unique<MonitorRecord>();
  CopyText(record->m_szRouterAddress, "127.0.0.1");
  record->m_nScanTime = 30;

  CRecordingWindow window;
  LiveScanOptions options;
  options.fetch.port = testing_support::UnusedLoopbackPort();
  options.settingsPath = (directory / "Orlavo.INI").string();
  // A single tick far longer than the bound below: only a wait that the stop
  // ends can meet it.
  options.tick = 120s;
  CLiveScanSteps liveSteps(*record, window, options);
  CWatchedSteps steps(liveSteps);
  CScanRun run(*record, window, steps);

  run.BeginScanRun();
  EXPECT_EQ(window.Events(),
            (std::vector<std::string>{"title:" + std::string(kPlaceholderTitle), "http:Check NG"}));
  for (int i = 0; i < 3000 && !steps.asleep.load(); ++i) std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(steps.asleep.load());
  const auto begin = std::chrono::steady_clock::now();
  run.StopScanWorker(20);
  EXPECT_LT(std::chrono::steady_clock::now() - begin, 30s);
  EXPECT_FALSE(run.WorkerRunning());
  EXPECT_EQ(record->m_bStopRequest.load(), 0);
  std::filesystem::remove_all(directory);
}

}  // namespace
