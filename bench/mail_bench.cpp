// One report mail against a loopback SMTP sink, next to the same exchange
// replayed with one send per turn (every command, and the whole mail data at
// once). The replay cannot wait on the server's delayed acknowledgement, so
// the ratio of the two shows what the way the lines are sent costs.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mail/report_mail.h"
#include "mail/smtp_connection.h"
#include "tests/mail/report_record.h"
#include "tests/support/smtp_test_server.h"

namespace {

std::unique_ptr<MonitorRecord> RecordWith(int recipients) {
  auto record = mail_test::ReportRecord("127.0.0.1");
  for (int i = 0; i < recipients; ++i) {
    std::snprintf(record->m_szMailTo[i], sizeof record->m_szMailTo[i], "slot%d@pellworth.example",
                  i);
  }
  record->m_nMailCount = recipients;
  return record;
}

SmtpOptions SinkOptions(int port) {
  SmtpOptions options;
  options.port = port;
  return options;
}

// The client's side of one report, cut where it waits for a reply: each
// command line on its own, the mail data up to its end as one piece.
std::vector<std::string> Turns(const MonitorRecord& record) {
  testing_support::CSmtpTestServer recorder({});
  SendReportMail(record, SinkOptions(recorder.Port()));
  const std::string sent = recorder.Received();
  std::vector<std::string> turns;
  std::size_t begin = 0;
  while (begin < sent.size()) {
    const bool data = !turns.empty() && turns.back() == "DATA\r\n";
    const std::string_view end = data ? "\r\n.\r\n" : "\n";
    const std::size_t found = sent.find(end, begin);
    const std::size_t stop = found == std::string::npos ? sent.size() : found + end.size();
    turns.push_back(sent.substr(begin, stop - begin));
    begin = stop;
  }
  return turns;
}

void BM_ReportMail(benchmark::State& state) {
  const auto record = RecordWith(static_cast<int>(state.range(0)));
  testing_support::CSmtpTestServer sink({});
  const SmtpOptions options = SinkOptions(sink.Port());
  for (auto _ : state) {
    if (SendReportMail(*record, options) != 1) state.SkipWithError("the sink refused the report");
  }
}

void BM_ReplayOneSendPerTurn(benchmark::State& state) {
  const auto record = RecordWith(static_cast<int>(state.range(0)));
  const std::vector<std::string> turns = Turns(*record);
  testing_support::CSmtpTestServer sink({});
  const SmtpOptions options = SinkOptions(sink.Port());
  char reply[kSmtpReplySize];
  for (auto _ : state) {
    CSmtpConnection connection(options);
    bool ok = connection.Connect("127.0.0.1") && connection.ReadReply(reply);
    for (const std::string& turn : turns)
      ok = ok && connection.Send(turn) && connection.ReadReply(reply);
    if (!ok) state.SkipWithError("the replay failed");
  }
}

}  // namespace

BENCHMARK(BM_ReportMail)->Arg(0)->Arg(20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReplayOneSendPerTurn)->Arg(0)->Arg(20)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
