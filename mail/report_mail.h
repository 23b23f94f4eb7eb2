#pragma once

#include "mail/smtp_connection.h"
#include "monitor/monitor_record.h"

// One complete SMTP exchange with m_szSmtpServer that mails the report (the
// current address and speeds) to the sender and every recipient slot.
// Returns 1 when the server took the mail for the sender and every recipient,
// 0 otherwise, also when the total limit ran out first. Reads the record only;
// blocks the calling thread for at most the total limit of the options (and
// the moment it takes to close); never raises a signal.
int SendReportMail(const MonitorRecord& record, const SmtpOptions& options = {});
