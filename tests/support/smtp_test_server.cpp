#include "tests/support/smtp_test_server.h"

#include <utility>

namespace testing_support {

namespace {

constexpr auto kPieceGap = 50ms;
constexpr int kMaxCommands = 200;

bool BeginsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// A command line without its line end.
std::string_view Stripped(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

const SmtpAnswer& UsualAnswer(std::string_view line) {
  static const SmtpAnswer kHelo = Reply("250 smtp.pellworth.example\r\n");
  static const SmtpAnswer kMail = Reply("250 2.1.0 Ok\r\n");
  static const SmtpAnswer kRcpt = Reply("250 2.1.5 Ok\r\n");
  static const SmtpAnswer kData = Reply("354 End data with <CR><LF>.<CR><LF>\r\n");
  static const SmtpAnswer kEnd = Reply("250 2.0.0 Ok: queued\r\n");
  static const SmtpAnswer kQuit = Reply("221 2.0.0 Bye\r\n");
  static const SmtpAnswer kUnknown = Reply("500 5.5.2 Error: command not recognized\r\n");
  if (BeginsWith(line, "HELO")) return kHelo;
  if (BeginsWith(line, "MAIL")) return kMail;
  if (BeginsWith(line, "RCPT")) return kRcpt;
  if (line == "DATA") return kData;
  if (line == ".") return kEnd;
  if (line == "QUIT") return kQuit;
  return kUnknown;
}

}  // namespace

SmtpAnswer Reply(std::string reply) { return {{std::move(reply)}, SmtpAnswer::EThen::kGoOn}; }

SmtpAnswer LateReply(std::string reply, std::chrono::milliseconds delay) {
  return {{std::move(reply)}, SmtpAnswer::EThen::kGoOn, delay};
}

SmtpAnswer SplitReply(std::vector<std::string> pieces) {
  return {std::move(pieces), SmtpAnswer::EThen::kGoOn};
}

SmtpAnswer ReplyThenClose(std::string reply) {
  return {{std::move(reply)}, SmtpAnswer::EThen::kClose};
}

SmtpAnswer CloseWithoutReply() { return {{}, SmtpAnswer::EThen::kClose}; }

SmtpAnswer FallSilent(std::string partial) {
  return {{std::move(partial)}, SmtpAnswer::EThen::kFallSilent};
}

CSmtpTestServer::CSmtpTestServer(SmtpScript script)
    : m_script(std::move(script)),
      m_server([this](Connection& connection) { Serve(connection); }) {}

std::string CSmtpTestServer::Received(int connections) {
  std::unique_lock lock(m_mutex);
  m_ended.wait_for(lock, 10s, [&] { return m_nEnded >= connections; });
  return m_received;
}

void CSmtpTestServer::Serve(Connection& connection) {
  bool open = Answer(connection, m_script.greeting);
  for (int i = 0; open && i < kMaxCommands; ++i) {
    const std::string command = connection.ReadUntil("\n");
    Record(command);
    if (command.empty() || command.back() != '\n') break;
    const std::string_view line = Stripped(command);
    const SmtpAnswer& answer = AnswerFor(line);
    open = Answer(connection, answer);
    const bool dataFollows =
        line == "DATA" && !answer.pieces.empty() && BeginsWith(answer.pieces.front(), "354");
    if (open && dataFollows) {
      const std::string data = connection.ReadUntil("\r\n.\r\n");
      Record(data);
      open = data.ends_with("\r\n.\r\n") && Answer(connection, AnswerFor("."));
    }
  }
  connection.Close();
  std::lock_guard lock(m_mutex);
  ++m_nEnded;
  m_ended.notify_all();
}

bool CSmtpTestServer::Answer(Connection& connection, const SmtpAnswer& answer) {
  std::this_thread::sleep_for(answer.delay);
  for (std::size_t i = 0; i < answer.pieces.size(); ++i) {
    if (i != 0) std::this_thread::sleep_for(kPieceGap);
    if (!answer.pieces[i].empty() && !connection.Write(answer.pieces[i])) return false;
  }
  switch (answer.then) {
    case SmtpAnswer::EThen::kGoOn:
      return true;
    case SmtpAnswer::EThen::kClose:
      return false;
    case SmtpAnswer::EThen::kFallSilent:
      // Keep recording until the client gives up; bounded even when the
      // server is being stopped and every read returns at once.
      for (int i = 0; i < 600 && !connection.PeerClosed(); ++i) Record(connection.ReadSome(100ms));
      return false;
  }
  return false;
}

const SmtpAnswer& CSmtpTestServer::AnswerFor(std::string_view line) const {
  for (const SmtpRule& rule : m_script.rules) {
    if (BeginsWith(line, rule.prefix)) return rule.answer;
  }
  return UsualAnswer(line);
}

void CSmtpTestServer::Record(std::string_view bytes) {
  std::lock_guard lock(m_mutex);
  m_received.append(bytes);
}

}  // namespace testing_support
