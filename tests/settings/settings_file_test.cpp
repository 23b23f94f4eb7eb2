#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "monitor/fixed_text.h"
#include "settings/profile.h"
#include "tests/settings/settings_test_support.h"

namespace {

using settings_test::ReadFile;
using settings_test::SettingsFileTest;
using settings_test::WithNewFileLineEnds;
using settings_test::WriteFile;

// Every recipient key, MAIL-TO0 to MAIL-TO24, with its own address.
std::string TwentyFiveRecipients() {
  std::string lines;
  for (int i = 0; i < 25; ++i) {
    lines += "MAIL-TO" + std::to_string(i) + "=r" + std::to_string(i) + "@example.org\n";
  }
  return lines;
}

TEST_F(SettingsFileTest, NoFileGivesTheDefaults) {
  m_record->m_nMailAlways = 1;
  LoadSettings(*m_record, m_path);
  EXPECT_STREQ(m_record->m_szRouterAddress, "192.168.1.1");
  EXPECT_STREQ(m_record->m_szUserName, "user");
  EXPECT_STREQ(m_record->m_szPassword, "vorp");
  EXPECT_EQ(m_record->m_nScanTime, 3);
  EXPECT_EQ(m_record->m_nMailCount, 1);
  EXPECT_STREQ(m_record->m_szMailTo[0], "report@example.com");
  EXPECT_STREQ(m_record->m_szMailTo[1], "");
  EXPECT_STREQ(m_record->m_szFromAddress, "report@example.com");
  EXPECT_STREQ(m_record->m_szSmtpServer, "mail.example.com");
  EXPECT_STREQ(m_record->m_szSubject, "Hi! Master. Change IP Report Mail");
  EXPECT_EQ(m_record->m_nMailAlways, 0);
  EXPECT_FALSE(std::filesystem::exists(m_path));
}

TEST_F(SettingsFileTest, CountsAndIntervalAreHeldToTheirRanges) {
  struct Case {
    const char* name;
    const char* mailLines;
    int mailCount;
    int scanTime;
  };
  const Case cases[] = {
      {"count 0", "MAIL-COUNT=0\n", 0, 3},    {"count 2", "MAIL-COUNT=2\n", 2, 3},
      {"count 20", "MAIL-COUNT=20\n", 20, 3}, {"count 35", "MAIL-COUNT=35\n", 20, 3},
      {"count -1", "MAIL-COUNT=-1\n", 20, 3}, {"mail always 1", "MAIL-ALWAYS=1\n", 1, 3},
      {"scan time 0", "SCAN-TIME=0\n", 1, 0}, {"scan time 8", "SCAN-TIME=8\n", 1, 8},
      {"scan time 9", "SCAN-TIME=9\n", 1, 3}, {"scan time -1", "SCAN-TIME=-1\n", 1, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(m_path,
              std::string("[MAIL]\nMAIL-ALWAYS=1\n") + c.mailLines + TwentyFiveRecipients());
    const auto record = std::make_unique<MonitorRecord>();
    record->m_nMailAlways = 1;
    LoadSettings(*record, m_path);
    EXPECT_EQ(record->m_nMailCount, c.mailCount);
    EXPECT_EQ(record->m_nScanTime, c.scanTime);
    EXPECT_EQ(record->m_nMailAlways, 0);
    // Exactly the counted slots are read.
    for (int slot = 0; slot < kMaxMailTo; ++slot) {
      const std::string expected =
          slot < c.mailCount ? "r" + std::to_string(slot) + "@example.org" : "";
      EXPECT_EQ(FieldText(record->m_szMailTo[slot]), expected) << "slot " << slot;
    }
  }
}

TEST_F(SettingsFileTest, LongRecipientReadsAsItsFirst57Characters) {
  const std::string address = std::string(58, 'a') + "@example.org";
  ASSERT_EQ(address.size(), 70u);
  WriteFile(m_path, "[MAIL]\nMAIL-COUNT=4\nMAIL-TO3=" + address + "\n");
  const auto record = Load();
  EXPECT_EQ(FieldText(record->m_szMailTo[3]), address.substr(0, 57));
  EXPECT_STREQ(record->m_szMailTo[2], "report@example.com");
}

TEST_F(SettingsFileTest, SaveWritesEveryKeyInOrder) {
  CopyText(m_record->m_szRouterAddress, "192.168.0.254");
  CopyText(m_record->m_szUserName, "admin");
  CopyText(m_record->m_szPassword, "secret");
  m_record->m_nScanTime = 60;
  m_record->m_nMailCount = 2;
  CopyText(m_record->m_szMailTo[0], "a@example.org");
  CopyText(m_record->m_szMailTo[1], "b@example.org");
  CopyText(m_record->m_szMailTo[2], "stale@example.org");
  CopyText(m_record->m_szFromAddress, "me@example.org");
  CopyText(m_record->m_szSmtpServer, "smtp.example.org");
  m_record->m_nMailAlways = 1;
  CopyText(m_record->m_szSubject, "New address");
  SaveSettings(*m_record, m_path);

  std::string expected =
      "[ROUTER]\nIP-ADDRESS=192.168.0.254\nUSER-NAME=admin\nPASSWORD=secret\n\n"
      "[MAIL]\nSCAN-TIME=1\nMAIL-COUNT=2\nMAIL-TO0=a@example.org\nMAIL-TO1=b@example.org\n";
  for (int slot = 2; slot < kMaxMailTo; ++slot)
    expected += "MAIL-TO" + std::to_string(slot) + "=\n";
  expected +=
      "FROM-ADDRESS=me@example.org\nSMTP-SERVER=smtp.example.org\nMAIL-ALWAYS=1\n"
      "MAIL-SUBJECT=New address\n";
  EXPECT_EQ(ReadFile(m_path), WithNewFileLineEnds(expected));
}

// Both walk the one table: reading skips only MAIL-ALWAYS, writing takes every
// key, the recipients' slots in place of MAIL-TO.
TEST(SettingKeys, AreReadAndWrittenInTheirOrder) {
  std::vector<std::string> read;
  std::vector<std::string> written;
  for (const SettingKey& setting : kSettingKeys) {
    const std::string key = std::string(setting.section) + "/" + setting.key;
    if (setting.value != SettingKey::EValue::kWrittenOnly) read.push_back(key);
    written.push_back(key);
  }
  const std::vector<std::string> readOrder = {
      "ROUTER/IP-ADDRESS", "ROUTER/USER-NAME", "ROUTER/PASSWORD",
      "MAIL/SCAN-TIME",    "MAIL/MAIL-COUNT",  "MAIL/MAIL-TO",
      "MAIL/FROM-ADDRESS", "MAIL/SMTP-SERVER", "MAIL/MAIL-SUBJECT",
  };
  std::vector<std::string> writeOrder = readOrder;
  writeOrder.insert(writeOrder.end() - 1, "MAIL/MAIL-ALWAYS");
  EXPECT_EQ(read, readOrder);
  EXPECT_EQ(written, writeOrder);
}

TEST_F(SettingsFileTest, ShorterListBlanksTheStaleRecipients) {
  std::string before = "[MAIL]\nMAIL-COUNT=5\n";
  for (int i = 0; i < 5; ++i)
    before += "MAIL-TO" + std::to_string(i) + "=old" + std::to_string(i) + "@example.org\n";
  WriteFile(m_path, before);
  LoadSettings(*m_record, m_path);
  ASSERT_EQ(m_record->m_nMailCount, 5);
  m_record->m_nMailCount = 3;
  m_record->m_nScanTime = 600;
  SaveSettings(*m_record, m_path);

  const CProfile profile = LoadProfile(m_path);
  EXPECT_EQ(profile.Find("MAIL", "MAIL-COUNT"), "3");
  EXPECT_EQ(profile.Find("MAIL", "MAIL-TO2"), "old2@example.org");
  EXPECT_EQ(profile.Find("MAIL", "MAIL-TO3"), "");
  EXPECT_EQ(profile.Find("MAIL", "MAIL-TO4"), "");
  EXPECT_EQ(profile.Find("MAIL", "MAIL-TO19"), "");
  EXPECT_EQ(Load()->m_nMailCount, 3);
}

TEST_F(SettingsFileTest, IntervalIsSavedAsItsIndex) {
  const std::pair<int, const char*> cases[] = {
      {30, "0"}, {60, "1"}, {3600, "8"}, {600, "3"}, {45, "3"}, {0, "3"}, {3, "3"},
  };
  for (const auto& [seconds, index] : cases) {
    SCOPED_TRACE(seconds);
    m_record->m_nScanTime = seconds;
    SaveSettings(*m_record, m_path);
    EXPECT_EQ(LoadProfile(m_path).Find("MAIL", "SCAN-TIME"), index);
  }
}

TEST_F(SettingsFileTest, LongValuesAreSavedWholeAndReadBackCut) {
  const std::string longText(255, 'x');
  for (char* field : {m_record->m_szRouterAddress, m_record->m_szUserName, m_record->m_szPassword,
                      m_record->m_szFromAddress, m_record->m_szSmtpServer, m_record->m_szSubject}) {
    CopyText(field, 256, longText);
  }
  m_record->m_nMailCount = kMaxMailTo;
  for (auto& slot : m_record->m_szMailTo) CopyText(slot, std::string(59, 'm'));
  SaveSettings(*m_record, m_path);

  const CProfile profile = LoadProfile(m_path);
  EXPECT_EQ(profile.Find("ROUTER", "PASSWORD"), longText);
  EXPECT_EQ(profile.Find("MAIL", "MAIL-SUBJECT"), longText);
  EXPECT_EQ(profile.Find("MAIL", "MAIL-TO19"), std::string(59, 'm'));

  const auto record = Load();
  EXPECT_EQ(FieldText(record->m_szRouterAddress).size(), 15u);
  EXPECT_EQ(FieldText(record->m_szUserName).size(), 15u);
  EXPECT_EQ(FieldText(record->m_szPassword).size(), 15u);
  EXPECT_EQ(FieldText(record->m_szFromAddress).size(), 63u);
  EXPECT_EQ(FieldText(record->m_szSmtpServer).size(), 63u);
  EXPECT_EQ(FieldText(record->m_szSubject).size(), 253u);
  ASSERT_EQ(record->m_nMailCount, kMaxMailTo);
  for (const auto& slot : record->m_szMailTo) EXPECT_EQ(FieldText(slot), std::string(57, 'm'));
}

TEST_F(SettingsFileTest, SaveThenLoadGivesTheSameSettings) {
  CopyText(m_record->m_szPassword, " pass \"word\" ");
  CopyText(m_record->m_szSubject, "\"New\" address = 1.2.3.4");
  m_record->m_nMailCount = 1;
  CopyText(m_record->m_szMailTo[0], "a@example.org");
  m_record->m_nScanTime = 1800;
  SaveSettings(*m_record, m_path);
  const auto record = Load();
  EXPECT_STREQ(record->m_szPassword, " pass \"word\" ");
  EXPECT_STREQ(record->m_szSubject, "\"New\" address = 1.2.3.4");
  EXPECT_STREQ(record->m_szRouterAddress, "");
  EXPECT_STREQ(record->m_szMailTo[0], "a@example.org");
  EXPECT_EQ(record->m_nScanTime, 7);
}

TEST_F(SettingsFileTest, HandKeptFileWithLongCommentsIsReadAndSaved) {
  std::string comments;
  while (comments.size() < 1'200'000) comments += "; " + std::string(98, 'n') + "\n";
  WriteFile(m_path, comments + "[ROUTER]\nPASSWORD=kept\n" + comments);
  const auto record = Load();
  EXPECT_STREQ(record->m_szPassword, "kept");

  CopyText(record->m_szPassword, "changed");
  SaveSettings(*record, m_path);
  EXPECT_STREQ(Load()->m_szPassword, "changed");
  EXPECT_TRUE(ReadFile(m_path).starts_with(comments + "[ROUTER]\n"));
}

}  // namespace
