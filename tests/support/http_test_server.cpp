#include "tests/support/http_test_server.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace testing_support {

namespace {

// No exchange in the tests needs more on one connection.
constexpr int kMaxRequestsPerConnection = 16;

bool SameLetters(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::string_view ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 401:
      return "Unauthorized";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    default:
      return "Status";
  }
}

}  // namespace

std::string HttpRequest::Header(std::string_view name) const {
  std::string_view rest(head);
  // Skip the request line.
  rest.remove_prefix(std::min(rest.size(), rest.find("\r\n") + 2));
  while (!rest.empty()) {
    const std::string_view line = rest.substr(0, rest.find("\r\n"));
    rest.remove_prefix(std::min(rest.size(), line.size() + 2));
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !SameLetters(line.substr(0, colon), name)) continue;
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    return std::string(value);
  }
  return {};
}

bool HttpRequest::HasHeader(std::string_view name) const { return !Header(name).empty(); }

HttpTestServer::HttpTestServer(Responder responder)
    : m_responder(std::move(responder)),
      m_server([this](Connection& connection) { Serve(connection); }) {}

std::vector<HttpRequest> HttpTestServer::Requests() const {
  std::lock_guard lock(m_mutex);
  return m_requests;
}

void HttpTestServer::Serve(Connection& connection) {
  for (int n = 0; n < kMaxRequestsPerConnection; ++n) {
    HttpRequest request{connection.ReadUntil("\r\n\r\n")};
    if (!request.head.ends_with("\r\n\r\n")) return;
    {
      std::lock_guard lock(m_mutex);
      m_requests.push_back(request);
    }
    if (!m_responder(request, connection)) return;
  }
}

std::string HttpResponse(int status, std::string_view body, std::string_view extraHeaders) {
  std::string response = "HTTP/1.1 " + std::to_string(status) + " ";
  response += ReasonPhrase(status);
  response += "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size());
  response += "\r\n";
  response += extraHeaders;
  response += "\r\n";
  response += body;
  return response;
}

HttpTestServer::Responder AnswerAlways(std::string response) {
  return [response = std::move(response)](const HttpRequest&, Connection& connection) {
    return connection.Write(response);
  };
}

}  // namespace testing_support
