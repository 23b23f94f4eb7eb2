#pragma once

#include <string_view>

#include "mail/smtp_line.h"
#include "monitor/monitor_record.h"

// The report mail has this many lines, each built and sent on its own: three
// header fields, the empty line that ends the header, then the body.
inline constexpr int kReportLineCount = 13;

// Builds report line index (0 to kReportLineCount-1) from the record into
// line and returns it. The field texts go in unchanged; the data form is
// applied when the line is sent.
std::string_view ReportLine(int index, const MonitorRecord& record, char (&line)[kSmtpLineSize]);
