#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "monitor/fixed_text.h"
#include "monitor/status_check.h"
#include "monitor/status_parse.h"
#include "tests/support/recording_window.h"

namespace {

struct ParseCase {
  const char* name;
  std::string page;
  const char* previousIp;
  int result;
  int changed;
  const char* ip;
  const char* up;
  const char* down;
};

const std::string kSample =
    "<td>ADSL IP:203.0.113.45</td><td>Line rate (Up 1024kbps / Down 8064kbps)</td>";

std::unique_ptr<MonitorRecord> RecordWithPage(const std::string& page, const char* previousIp) {
  auto record = std::make_unique<MonitorRecord>();
  CopyText(record->m_szPage, page);
  CopyText(record->m_szGlobalIp, previousIp);
  CopyText(record->m_szUpLinkSpeed, "old-up");
  CopyText(record->m_szDownLinkSpeed, "old-down");
  return record;
}

TEST(ParseStatusPage, ReadsPagesByTheRules) {
  const ParseCase cases[] = {
      {"sample page", kSample, "", 1, 1, "203.0.113.45", "1024kbps", "8064kbps"},
      {"same address keeps old speeds", kSample, "203.0.113.45", 1, 0, "203.0.113.45", "old-up",
       "old-down"},
      {"first of two labels", "ADSL IP:1.1.1.1<b>ADSL IP:2.2.2.2<(9kbps 8kbps", "", 1, 1, "1.1.1.1",
       "9kbps", "8kbps"},
      {"label is case-sensitive", "adsl ip:1.1.1.1< ADSL Ip:2.2.2.2<", "", 0, 0, "", "old-up",
       "old-down"},
      {"blank after colon kept", "ADSL IP : 203.0.113.45<td>(1s 2s", "", 1, 1, " 203.0.113.45",
       "1s", "2s"},
      {"words before the colon skipped", "ADSL IP Address:10.0.0.1<x(1s 2s", "", 1, 1, "10.0.0.1",
       "1s", "2s"},
      {"bare < ends the address", "ADSL IP:10.0.0.1 < 3 (1s 2s", "", 1, 1, "10.0.0.1 ", "1s", "2s"},
      {"line break and entity kept", "ADSL IP:&nbsp;1.2.3.4\n<(1s 2s", "", 1, 1, "&nbsp;1.2.3.4\n",
       "1s", "2s"},
      {"decimal speed, upper S runs on", "ADSL IP:1.2.3.4<(Up 12.5Mbps / Down 8MBPS and 3kbps)", "",
       1, 1, "1.2.3.4", "12.5Mbps", "8MBPS and 3kbps"},
      {"tag between speeds starts the down-link",
       "ADSL IP:1.2.3.4</td>(Up 1024kbps</td><td>Down 8064kbps)", "", 1, 1, "1.2.3.4", "1024kbps",
       "</td><td>Down 8064kbps"},
      {"empty address, empty before: unchanged", "ADSL IP:<td>(1s 2s", "", 1, 0, "", "old-up",
       "old-down"},
      {"empty address after one: a change", "ADSL IP:<td>(1s 2s", "1.2.3.4", 1, 1, "", "1s", "2s"},
      {"no label", "<html>401 Unauthorized</html>", "1.2.3.4", 0, 0, "1.2.3.4", "old-up",
       "old-down"},
      {"empty page", "", "1.2.3.4", 0, 0, "1.2.3.4", "old-up", "old-down"},
      {"page ends before the colon", "ADSL IP", "", 0, 0, "", "old-up", "old-down"},
      {"page ends before the <", "ADSL IP:1.2.3.4", "", 0, 0, "", "old-up", "old-down"},
      {"address of 32 characters is none", "ADSL IP:" + std::string(32, '1') + "<(1s 2s", "", 0, 0,
       "", "old-up", "old-down"},
      {"address of 31 characters fits", "ADSL IP:" + std::string(31, '1') + "<(1s 2s", "", 1, 1,
       "1111111111111111111111111111111", "1s", "2s"},
      {"no parenthesis: empty speeds", "ADSL IP:1.2.3.4<td>1024kbps", "", 1, 1, "1.2.3.4", "", ""},
      {"speed runs to the end", "ADSL IP:1.2.3.4<(1024kbp", "", 1, 1, "1.2.3.4", "1024kbp", ""},
      {"long speed keeps 31 bytes", "ADSL IP:1.2.3.4<(" + std::string(40, '7') + "s 2s", "", 1, 1,
       "1.2.3.4", "7777777777777777777777777777777", "2s"},
      {"long speed never splits UTF-8", "ADSL IP:1.2.3.4<(" + std::string(30, '7') + "\xC3\xA9s 2s",
       "", 1, 1, "1.2.3.4", "777777777777777777777777777777", "2s"},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto record = RecordWithPage(c.page, c.previousIp);
    EXPECT_EQ(ParseStatusPage(*record), c.result);
    EXPECT_EQ(record->m_bIpChanged, c.changed);
    EXPECT_EQ(FieldText(record->m_szGlobalIp), c.ip);
    EXPECT_EQ(FieldText(record->m_szUpLinkSpeed), c.up);
    EXPECT_EQ(FieldText(record->m_szDownLinkSpeed), c.down);
    if (c.result == 0) {
      EXPECT_EQ(FieldText(record->m_szPage), c.page) << "page kept on failure";
    }
  }
}

TEST(ParseStatusPage, ComposesTheTitleLineOverThePage) {
  auto record = RecordWithPage(kSample, "");
  ASSERT_EQ(ParseStatusPage(*record), 1);
  EXPECT_EQ(FieldText(record->m_szPage), "Orlavo<IP:203.0.113.45> <UL: 1024kbps> <DL: 8064kbps>");

  auto empty = std::make_unique<MonitorRecord>();
  CopyText(empty->m_szPage, "ADSL IP:<");
  ASSERT_EQ(ParseStatusPage(*empty), 1);
  EXPECT_EQ(FieldText(empty->m_szPage), "Orlavo<IP:> <UL: > <DL: >");
}

TEST(ParseStatusPage, StopsAtThePagesTerminatorAtTheVeryEnd) {
  // A page that fills the whole buffer: the scans must end at its last byte.
  auto record = std::make_unique<MonitorRecord>();
  std::string page(sizeof record->m_szPage - 1, 'x');
  page.replace(page.size() - 20, 17, "ADSL IP:1.2.3.4<(");
  page.back() = '7';
  CopyText(record->m_szPage, page);
  ASSERT_EQ(ParseStatusPage(*record), 1);
  EXPECT_EQ(FieldText(record->m_szUpLinkSpeed), "7");  // "x" is outside the speed class
  EXPECT_EQ(FieldText(record->m_szDownLinkSpeed), "");
}

std::string PageWithAddress(const std::string& address, const std::string& up) {
  return "ADSL IP:" + address + "</td>(Up " + up + " / Down 8064kbps)";
}

TEST(ParseStatusPage, NoticesEveryChangeOfAddress) {
  auto record = std::make_unique<MonitorRecord>();
  struct Step {
    std::string address;
    std::string up;
    int changed;  // m_bIpChanged before the step is reset to 0
    const char* expectUp;
  } steps[] = {
      {"203.0.113.1", "1s", 1, "1s"},
      {"203.0.113.1", "2s", 0, "1s"},  // same address: speeds stay
      {"203.0.113.2", "3s", 1, "3s"},
      {"203.0.113.1", "4s", 1, "4s"},  // back to an earlier address is a change too
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.address + " " + step.up);
    record->m_bIpChanged = 0;
    CopyText(record->m_szPage, PageWithAddress(step.address, step.up));
    EXPECT_EQ(ParseStatusPage(*record), 1);
    EXPECT_EQ(record->m_bIpChanged, step.changed);
    EXPECT_EQ(FieldText(record->m_szGlobalIp), step.address);
    EXPECT_EQ(FieldText(record->m_szUpLinkSpeed), step.expectUp);
  }
}

TEST(ParseStatusPage, ChangeFlagIsNeverClearedByACheck) {
  auto record = std::make_unique<MonitorRecord>();
  CopyText(record->m_szPage, PageWithAddress("203.0.113.1", "1s"));
  ASSERT_EQ(ParseStatusPage(*record), 1);
  CopyText(record->m_szPage, PageWithAddress("203.0.113.1", "1s"));
  ASSERT_EQ(ParseStatusPage(*record), 1);
  EXPECT_EQ(record->m_bIpChanged, 1);
}

TEST(CheckStatus, FailedFetchShowsThePlaceholderAndKeepsTheRecord) {
  auto record = std::make_unique<MonitorRecord>();
  CopyText(record->m_szGlobalIp, "203.0.113.1");
  CopyText(record->m_szUpLinkSpeed, "1s");
  CopyText(record->m_szPage, "earlier page");
  record->m_bIpChanged = 1;
  CopyText(record->m_szRouterAddress, "not a host/name");  // refused before any request
  testing_support::CRecordingWindow window;
  EXPECT_EQ(CheckStatus(*record, window), 0);
  EXPECT_EQ(window.Title(), "Orlavo <IP:*.*.*.*> <UL:*> <DL:*>");
  EXPECT_EQ(FieldText(record->m_szGlobalIp), "203.0.113.1");
  EXPECT_EQ(FieldText(record->m_szUpLinkSpeed), "1s");
  EXPECT_EQ(FieldText(record->m_szPage), "earlier page");
  EXPECT_EQ(record->m_bIpChanged, 1);
}

}  // namespace
