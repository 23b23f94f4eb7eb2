#pragma once

#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "monitor/fixed_text.h"
#include "monitor/monitor_record.h"

namespace mail_test {

inline constexpr char kSender[] = "orlavo@pellworth.example";
inline constexpr char kSubject[] = "Router address changed";
inline constexpr char kAddress[] = "203.0.113.7";
inline constexpr char kUpLink[] = "1024kbps";
inline constexpr char kDownLink[] = "8192kbps";
inline constexpr const char* kSlots[] = {"anna@pellworth.example", "bert@pellworth.example",
                                         "carl@pellworth.example"};

// A record as a scan leaves it before mailing: two recipient slots.
inline std::unique_ptr<MonitorRecord> ReportRecord(std::string_view server) {
  auto record = std::make_unique<MonitorRecord>();
  CopyText(record->m_szSmtpServer, server);
  CopyText(record->m_szFromAddress, kSender);
  CopyText(record->m_szSubject, kSubject);
  CopyText(record->m_szGlobalIp, kAddress);
  CopyText(record->m_szUpLinkSpeed, kUpLink);
  CopyText(record->m_szDownLinkSpeed, kDownLink);
  for (int i = 0; i < 3; ++i) CopyText(record->m_szMailTo[i], kSlots[i]);
  record->m_nMailCount = 2;
  return record;
}

// The sixteen lines of the stored mail, as every server should keep them:
// tests/data/report_mail.txt, each line ended with CR LF, the fields filled in.
inline std::string StoredMessage(std::string_view from, std::string_view subject,
                                 std::string_view address, std::string_view upLink,
                                 std::string_view downLink) {
  std::ifstream file(ORLAVO_TEST_DATA "/report_mail.txt");
  std::string text;
  for (std::string line; std::getline(file, line);) text += line + "\r\n";
  const std::pair<std::string_view, std::string_view> fields[] = {
      {"{from}", from},     {"{subject}", subject},   {"{address}", address},
      {"{uplink}", upLink}, {"{downlink}", downLink},
  };
  for (const auto& [name, value] : fields) {
    for (auto at = text.find(name); at != std::string::npos;
         at = text.find(name, at + value.size())) {
      text.replace(at, name.size(), value);
    }
  }
  return text;
}

inline std::string StoredMessage() {
  return StoredMessage(kSender, kSubject, kAddress, kUpLink, kDownLink);
}

}  // namespace mail_test
