#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/loopback_server.h"

namespace testing_support {

// The head of one request: request line and header lines with their CRLFs,
// the blank line included.
struct HttpRequest {
  std::string head;

  // The value of the first header of that name (case-insensitive); empty when
  // there is none.
  std::string Header(std::string_view name) const;
  bool HasHeader(std::string_view name) const;
};

// A scripted HTTP server on loopback for one test. It reads the head of each
// request, records it and hands it to the responder, which writes whatever the
// test wants on the connection and returns true to read a next request on the
// same connection. Request bodies are not read.
class HttpTestServer {
 public:
  using Responder = std::function<bool(const HttpRequest& request, Connection& connection)>;

  explicit HttpTestServer(Responder responder);

  int Port() const { return m_server.Port(); }
  int Connections() const { return m_server.AcceptedConnections(); }
  // The requests received so far, in order.
  std::vector<HttpRequest> Requests() const;

 private:
  void Serve(Connection& connection);

  Responder m_responder;
  mutable std::mutex m_mutex;
  std::vector<HttpRequest> m_requests;
  // Last: its thread ends before the members it uses go.
  LoopbackServer m_server;
};

// A whole response with a Content-Length: status line, extra header lines
// (each ending in CRLF), blank line, body.
std::string HttpResponse(int status, std::string_view body, std::string_view extraHeaders = {});

// Answers every request with the same bytes and keeps the connection.
HttpTestServer::Responder AnswerAlways(std::string response);

}  // namespace testing_support
