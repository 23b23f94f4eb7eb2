#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/loopback_server.h"

namespace testing_support {

// What the server does when it is its turn: at the greeting, after a command
// line, after the end of the mail data.
struct SmtpAnswer {
  enum class EThen { kGoOn, kClose, kFallSilent };
  // Written one after another with a pause between, so that the client gets
  // them in separate reads.
  std::vector<std::string> pieces;
  // kClose: close the connection after the pieces; kFallSilent: never write
  // again and wait until the client gives up.
  EThen then = EThen::kGoOn;
  // How long the server waits before the first piece.
  std::chrono::milliseconds delay{0};
};

SmtpAnswer Reply(std::string reply);
SmtpAnswer LateReply(std::string reply, std::chrono::milliseconds delay);
SmtpAnswer SplitReply(std::vector<std::string> pieces);
SmtpAnswer ReplyThenClose(std::string reply);
SmtpAnswer CloseWithoutReply();
// Writes partial (possibly nothing), then nothing ever again.
SmtpAnswer FallSilent(std::string partial = "");

// Answers the command lines that begin with prefix (without the line end).
// The end of the mail data is the line ".".
struct SmtpRule {
  std::string prefix;
  SmtpAnswer answer;
};

// The first rule that matches a command answers it; a command no rule matches
// gets the usual positive reply (354 for DATA, 221 for QUIT, 500 for what the
// server does not know).
struct SmtpScript {
  SmtpAnswer greeting = Reply("220 smtp.pellworth.example ready\r\n");
  std::vector<SmtpRule> rules;
};

// A scripted SMTP server on loopback that records every byte it receives.
// After a reply to DATA that begins with 354 it reads the mail data up to the
// line "." and answers that line from the script.
class CSmtpTestServer {
 public:
  explicit CSmtpTestServer(SmtpScript script);
  CSmtpTestServer(const CSmtpTestServer&) = delete;
  CSmtpTestServer& operator=(const CSmtpTestServer&) = delete;

  int Port() const { return m_server.Port(); }
  // Every byte received, once the given number of connections have ended
  // (waiting at most 10 s for that).
  std::string Received(int connections = 1);

 private:
  void Serve(Connection& connection);
  // Carries out one answer; false when the conversation is over.
  bool Answer(Connection& connection, const SmtpAnswer& answer);
  const SmtpAnswer& AnswerFor(std::string_view line) const;
  void Record(std::string_view bytes);

  SmtpScript m_script;
  std::mutex m_mutex;
  std::condition_variable m_ended;
  std::string m_received;
  int m_nEnded = 0;
  // Last, so that it stops (and joins its thread) before the rest goes.
  LoopbackServer m_server;
};

}  // namespace testing_support
