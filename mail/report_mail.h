#pragma once

#include "mail/smtp_connection.h"
#include "monitor/monitor_record.h"

// One complete SMTP exchange with m_szSmtpServer that mails the report (the
// current address and speeds) to the sender and every recipient slot.
// Returns 1 when the server took the mail for the sender and every recipient,
// 0 otherwise. Reads the record only; blocks the calling thread for at most
// the time limits of the options; never raises a signal.
int SendReportMail(const MonitorRecord& record, const SmtpOptions& options = {});
