#include "mail/report_message.h"

#include "monitor/fixed_text.h"

namespace {

constexpr std::string_view kRule = "-----------------------------------\r\n";

}  // namespace

std::string_view ReportLine(int index, const MonitorRecord& record, char (&line)[kSmtpLineSize]) {
  switch (index) {
    case 0:
      return BuildLine(line, {"X-Mailer: Pellworth Inc. Report-Mailer\r\n"});
    case 1:
      return BuildLine(line, {"Reply-To: ", FieldText(record.m_szFromAddress), "\r\n"});
    case 2: {
      // A line break would start a header field of the subject's own making.
      char subject[kSmtpLineSize];
      return BuildLine(
          line, {"Subject: ", BlankLineBreaks(FieldText(record.m_szSubject), subject), " \r\n"});
    }
    case 3:
      return BuildLine(line, {"\r\n"});
    case 4:
      return BuildLine(line, {"Hi! Master. How are you?\r\n"});
    case 5:
      return BuildLine(line, {"IP Address Report.\r\nGlobal IP Address<http://",
                              FieldText(record.m_szGlobalIp), ">\r\n\r\n"});
    case 6:
      return BuildLine(line,
                       {"UpLink Speed ", FieldText(record.m_szUpLinkSpeed), ".\r\nDownLink Speed ",
                        FieldText(record.m_szDownLinkSpeed), ".\r\n"});
    case 7:
      return BuildLine(line, {"\r\n"});
    case 8:
      return BuildLine(line, {kRule});
    case 9:
      return BuildLine(line, {"Orlavo\r\n"});
    case 10:
      return BuildLine(line, {"Copyright (C) Pellworth Inc. All rights reserved.\r\n"});
    case 11:
      return BuildLine(line, {"        http://www.pellworth.example/\r\n"});
    case 12:
      return BuildLine(line, {kRule});
    default:
      return BuildLine(line, {});
  }
}
