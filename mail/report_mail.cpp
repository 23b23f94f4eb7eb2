#include "mail/report_mail.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "mail/report_message.h"
#include "mail/smtp_connection.h"
#include "mail/smtp_line.h"
#include "monitor/fixed_text.h"

namespace {

using Reply = char[kSmtpReplySize];

// Sends one command line and reads its whole reply into reply. A failed send
// or an absent reply shows only as an empty reply.
void SmtpCommand(CSmtpConnection& connection, std::string_view line, Reply& reply) {
  connection.Send(line);
  connection.ReadReply(reply);
}

// Sends one line of the mail data in its canonical form; reads nothing. The
// line waits for the end of the data, which goes out with it.
void SmtpSend(CSmtpConnection& connection, std::string_view line) {
  char data[kSmtpDataLineSize];
  connection.Send(ToDataForm(line, data), CSmtpConnection::EFlush::kMore);
}

// Only the first three bytes of a reply are ever looked at.
bool ReplyBegins(const Reply& reply, const char (&code)[4]) {
  return std::strncmp(reply, code, 3) == 0;
}

// One RCPT TO; true when the server accepted the address.
bool AddRecipient(CSmtpConnection& connection, std::string_view address,
                  char (&line)[kSmtpLineSize], Reply& reply) {
  if (HasLineBreak(address)) return false;
  SmtpCommand(connection, BuildLine(line, {"RCPT TO:<", address, ">\r\n"}), reply);
  return ReplyBegins(reply, "250");
}

// Everything from HELO to the end of the data; QUIT is left to the caller.
// Returns 1 when the mail was taken for the sender and every recipient.
int MailTransaction(CSmtpConnection& connection, const MonitorRecord& record, Reply& reply) {
  char line[kSmtpLineSize];
  const std::string_view server = FieldText(record.m_szSmtpServer);
  const std::string_view from = FieldText(record.m_szFromAddress);
  // A line break in a field would put a command of its own on the wire.
  if (HasLineBreak(server)) return 0;
  SmtpCommand(connection, BuildLine(line, {"HELO ", server, "\r\n"}), reply);

  if (HasLineBreak(from)) return 0;
  SmtpCommand(connection, BuildLine(line, {"MAIL FROM:<", from, ">\r\n"}), reply);
  // Only 550 counts as a refusal of the sender; the exchange goes on anyway.
  int result = ReplyBegins(reply, "550") ? 0 : 1;

  // The sender gets a copy of every report.
  if (!AddRecipient(connection, from, line, reply)) return 0;
  const int count = std::clamp(record.m_nMailCount, 0, kMaxMailTo);
  for (int i = 0; i < count; ++i) {
    if (!AddRecipient(connection, FieldText(record.m_szMailTo[i]), line, reply)) return 0;
  }

  SmtpCommand(connection, "DATA\r\n", reply);
  // Without 354 the server would read the message lines as commands.
  if (!ReplyBegins(reply, "354")) return 0;
  for (int i = 0; i < kReportLineCount; ++i) SmtpSend(connection, ReportLine(i, record, line));
  SmtpCommand(connection, ".\r\n", reply);
  // Anything but 250 here means the mail was not taken.
  if (!ReplyBegins(reply, "250")) return 0;
  return result;
}

}  // namespace

int SendReportMail(const MonitorRecord& record, const SmtpOptions& options) {
  CSmtpConnection connection(options);
  if (!connection.Connect(FieldText(record.m_szSmtpServer))) {
    return 0;
  }
  Reply reply;
  // The greeting is read but not judged: HELO follows whatever it says.
  connection.ReadReply(reply);
  const int result = MailTransaction(connection, record, reply);
  SmtpCommand(connection, "QUIT\r\n", reply);
  return result;
}
