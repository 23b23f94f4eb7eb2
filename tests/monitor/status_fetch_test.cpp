#include "monitor/status_fetch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "monitor/fixed_text.h"
#include "monitor/router_host.h"
#include "tests/support/http_test_server.h"
#include "tests/support/listen_socket.h"
#include "tests/support/scoped_env.h"

namespace {

using namespace std::chrono_literals;
using testing_support::Connection;
using testing_support::HttpRequest;
using testing_support::HttpResponse;
using testing_support::HttpTestServer;

constexpr std::string_view kPreviousPage = "the page of the previous check";
constexpr std::string_view kStatusPage = "<html>ADSL IP:192.0.2.7<br>(1024kbps/8192kbps)</html>";
constexpr std::string_view kChallenge = "WWW-Authenticate: Basic realm=\"router\"\r\n";
// "admin:s3cret" and "admin:wrong" in base64.
constexpr std::string_view kRightBasic = "Basic YWRtaW46czNjcmV0";
constexpr std::string_view kWrongBasic = "Basic YWRtaW46d3Jvbmc=";

enum class EEnding { kKeepOpen, kClose, kAbort, kHold };

struct Script {
  const char* name;
  std::string bytes;
  // Written in pieces of this size, 0 for all at once.
  std::size_t piece;
  EEnding ending;
  int result;
  // The page afterwards; none when it must be the previous one.
  std::optional<std::string> page;
};

class StatusFetchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(StartHttpLayer()); }
  static void TearDownTestSuite() { StopHttpLayer(); }

  StatusFetchTest() {
    CopyText(m_record->m_szRouterAddress, "127.0.0.1");
    CopyText(m_record->m_szUserName, "admin");
    CopyText(m_record->m_szPassword, "s3cret");
    CopyText(m_record->m_szPage, kPreviousPage);
  }

  int Fetch(int port, std::chrono::milliseconds totalTimeout = 20s) {
    FetchOptions options;
    options.port = port;
    options.connectTimeout = 5s;
    options.totalTimeout = totalTimeout;
    return FetchStatusPage(*m_record, options);
  }

  // Serves the script to one fetch and checks its result and the page.
  void RunScript(const Script& script) {
    CopyText(m_record->m_szPage, kPreviousPage);
    HttpTestServer router([&script](const HttpRequest&, Connection& connection) {
      const std::string_view bytes = script.bytes;
      const std::size_t piece = script.piece == 0 ? bytes.size() : script.piece;
      for (std::size_t at = 0; at < bytes.size(); at += piece) {
        if (!connection.Write(bytes.substr(at, piece))) return false;
        if (script.piece != 0) std::this_thread::sleep_for(2ms);
      }
      if (script.ending == EEnding::kAbort) connection.Abort();
      if (script.ending == EEnding::kHold) connection.HoldUntilClosed(30s);
      return script.ending == EEnding::kKeepOpen;
    });

    // A stall ends at the limit; anything else has all the time a loaded
    // machine needs for its pieces.
    EXPECT_EQ(Fetch(router.Port(), script.ending == EEnding::kHold ? 1s : 20s), script.result);

    EXPECT_EQ(Page(), script.page.value_or(std::string(kPreviousPage)));
  }

  std::string_view Page() const { return FieldText(m_record->m_szPage); }

  std::unique_ptr<MonitorRecord> m_record = std::make_unique<MonitorRecord>();
};

// Points every proxy variable libcurl reads at a proxy, for one test.
class ScopedProxyEnvironment {
 public:
  explicit ScopedProxyEnvironment(const std::string& proxy) {
    for (const std::string_view name :
         {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
      const bool bBypass = name.ends_with("no_proxy") || name.ends_with("NO_PROXY");
      m_variables.push_back(
          std::make_unique<testing_support::CScopedEnv>(name.data(), bBypass ? "" : proxy));
    }
  }

 private:
  std::vector<std::unique_ptr<testing_support::CScopedEnv>> m_variables;
};

std::string Pattern(std::size_t size) {
  std::string text;
  for (std::size_t i = 0; i < size; ++i) text += static_cast<char>('a' + i % 26);
  return text;
}

std::string Chunked(std::string_view body, std::size_t chunk) {
  std::string response = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  for (std::size_t at = 0; at < body.size(); at += chunk) {
    const std::string_view piece = body.substr(at, chunk);
    response += std::to_string(piece.size()) + "\r\n";
    response += piece;
    response += "\r\n";
  }
  return response + "0\r\n\r\n";
}

TEST_F(StatusFetchTest, SendsOnlyTheFixedRequestStraightToTheRouter) {
  testing_support::LoopbackServer proxy([](Connection&) {});
  const ScopedProxyEnvironment environment("http://127.0.0.1:" + std::to_string(proxy.Port()));
  HttpTestServer router(testing_support::AnswerAlways(HttpResponse(200, kStatusPage)));

  ASSERT_EQ(Fetch(router.Port()), 1);

  EXPECT_EQ(Page(), kStatusPage);
  const std::vector<HttpRequest> requests = router.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].head,
            "GET /cgi-bin/main.cgi?cc_webname=STATUS HTTP/1.1\r\n"
            "Host: 127.0.0.1:" +
                std::to_string(router.Port()) +
                "\r\n"
                "User-Agent: Pellworth\r\n"
                "\r\n");
  EXPECT_EQ(proxy.AcceptedConnections(), 0);
}

TEST_F(StatusFetchTest, ReadsWhatArrivesOnceTheResponseHasBegun) {
  const std::string whole = HttpResponse(200, kStatusPage);
  const std::string head = whole.substr(0, whole.size() - kStatusPage.size());
  const std::string cut = whole.substr(0, whole.size() - 10);
  const std::string partial(kStatusPage.substr(0, kStatusPage.size() - 10));
  const Script scripts[] = {
      {"head and body in small pieces", whole, 5, EEnding::kKeepOpen, 1, std::string(kStatusPage)},
      {"chunked body in small pieces", Chunked(kStatusPage, 7), 3, EEnding::kKeepOpen, 1,
       std::string(kStatusPage)},
      {"body ended by closing",
       "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + std::string(kStatusPage), 0,
       EEnding::kClose, 1, std::string(kStatusPage)},
      {"connection cut mid-body", cut, 0, EEnding::kAbort, 1, partial},
      {"stalls mid-body", cut, 0, EEnding::kHold, 1, partial},
      {"stalls after the head", head, 0, EEnding::kHold, 1, ""},
      {"stalls inside the head", "HTTP/1.1 200 OK\r\nContent-Le", 0, EEnding::kHold, 0, {}},
      {"closes inside the head", "HTTP/1.1 200 OK\r\nContent-Le", 0, EEnding::kClose, 0, {}},
      {"cut inside the head", "HTTP/1.1 200 OK\r\nContent-Le", 0, EEnding::kAbort, 0, {}},
      {"accepts and never answers", "", 0, EEnding::kHold, 0, {}},
      {"closes without answering", "", 0, EEnding::kClose, 0, {}},
  };
  for (const Script& script : scripts) {
    SCOPED_TRACE(script.name);
    RunScript(script);
  }
}

struct BodyCase {
  const char* name;
  int status;
  std::string body;
  std::string page;
};

TEST_F(StatusFetchTest, KeepsTheBodyOfAnyStatusUpToThePageSize) {
  const std::string accented = std::string(131070, 'a') + "\xC3\xA9" + std::string(100, 'b');
  const BodyCase cases[] = {
      {"empty", 200, "", ""},
      {"exactly the page's room", 200, Pattern(131071), Pattern(131071)},
      {"longer than the page", 200, Pattern(200000), Pattern(131071)},
      {"a character across the limit is cut as bytes", 200, accented,
       std::string(131070, 'a') + "\xC3"},
      {"refusal", 401, "<html>denied</html>", "<html>denied</html>"},
      {"missing page", 404, "<html>not here</html>", "<html>not here</html>"},
      {"server error", 500, "<html>broken</html>", "<html>broken</html>"},
  };
  for (const BodyCase& item : cases) {
    SCOPED_TRACE(item.name);
    CopyText(m_record->m_szPage, kPreviousPage);
    HttpTestServer router(testing_support::AnswerAlways(HttpResponse(item.status, item.body)));

    EXPECT_EQ(Fetch(router.Port()), 1);

    EXPECT_EQ(Page(), item.page);
  }
}

TEST_F(StatusFetchTest, AnswersABasicChallengeWithTheRouterCredentials) {
  struct Case {
    const char* password;
    std::string_view authorization;
    std::string_view page;
  };
  const Case cases[] = {
      {"s3cret", kRightBasic, kStatusPage},
      {"wrong", kWrongBasic, "<html>denied</html>"},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(item.password);
    CopyText(m_record->m_szPassword, item.password);
    HttpTestServer router([](const HttpRequest& request, Connection& connection) {
      if (request.Header("Authorization") == kRightBasic) {
        return connection.Write(HttpResponse(200, kStatusPage));
      }
      return connection.Write(HttpResponse(401, "<html>denied</html>", kChallenge));
    });

    EXPECT_EQ(Fetch(router.Port()), 1);

    EXPECT_EQ(Page(), item.page);
    const std::vector<HttpRequest> requests = router.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].Header("Authorization"), item.authorization);
  }
}

TEST_F(StatusFetchTest, CredentialsWithAControlByteSendNothing) {
  struct Case {
    const char* name;
    std::string user;
    std::string password;
    int result;
  };
  const Case cases[] = {
      {"CR LF in the user name", "admin\r\nX-Injected: 1", "s3cret", 0},
      {"bare LF in the user name", "admin\nX", "s3cret", 0},
      {"tab in the user name", "ad\tmin", "s3cret", 0},
      {"DEL in the password", "admin",
       "s3\x7F"
       "cret",
       0},
      {"CR in the password", "admin", "s3cret\r", 0},
      {"\\x01 in the password", "admin", "\x01s3cret", 0},
      {"bytes of 0x80 and above pass", "adm\xC3\xAFn",
       "s3\xFF"
       "cret",
       1},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(item.name);
    CopyText(m_record->m_szPage, kPreviousPage);
    CopyText(m_record->m_szUserName, item.user);
    CopyText(m_record->m_szPassword, item.password);
    HttpTestServer router([](const HttpRequest& request, Connection& connection) {
      if (request.HasHeader("Authorization")) {
        return connection.Write(HttpResponse(200, kStatusPage));
      }
      return connection.Write(HttpResponse(
          401, "<html>denied</html>",
          "WWW-Authenticate: Digest realm=\"router\", nonce=\"4b1d\", qop=\"auth\"\r\n"));
    });

    EXPECT_EQ(Fetch(router.Port()), item.result);

    const std::vector<HttpRequest> requests = router.Requests();
    if (item.result == 0) {
      EXPECT_EQ(Page(), kPreviousPage);
      EXPECT_TRUE(requests.empty());
      continue;
    }
    EXPECT_EQ(Page(), kStatusPage);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_THAT(requests[1].Header("Authorization"),
                ::testing::StartsWith("Digest username=\"" + item.user + "\""));
  }
}

TEST_F(StatusFetchTest, ChallengeAnsweredButNeverRepliedToLeavesThePage) {
  HttpTestServer router([](const HttpRequest& request, Connection& connection) {
    if (request.HasHeader("Authorization")) {
      connection.HoldUntilClosed(30s);
      return false;
    }
    return connection.Write(HttpResponse(401, "<html>denied</html>", kChallenge));
  });

  EXPECT_EQ(Fetch(router.Port(), 1s), 0);

  EXPECT_EQ(Page(), kPreviousPage);
  EXPECT_EQ(router.Requests().size(), 2u);
}

TEST_F(StatusFetchTest, FollowsARedirectWithoutTheCredentials) {
  HttpTestServer elsewhere(testing_support::AnswerAlways(
      HttpResponse(401, "<html>elsewhere</html>", "WWW-Authenticate: Basic realm=\"other\"\r\n")));
  const std::string location =
      "Location: http://127.0.0.1:" + std::to_string(elsewhere.Port()) + "/elsewhere\r\n";
  HttpTestServer router([&location](const HttpRequest& request, Connection& connection) {
    if (request.Header("Authorization") != kRightBasic) {
      return connection.Write(HttpResponse(401, "<html>denied</html>", kChallenge));
    }
    return connection.Write(HttpResponse(302, "<html>moved</html>", location));
  });

  ASSERT_EQ(Fetch(router.Port()), 1);

  EXPECT_EQ(Page(), "<html>elsewhere</html>");
  const std::vector<HttpRequest> requests = elsewhere.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_THAT(requests[0].head, ::testing::StartsWith("GET /elsewhere HTTP/1.1\r\n"));
  for (const HttpRequest& request : requests) EXPECT_FALSE(request.HasHeader("Authorization"));
}

TEST_F(StatusFetchTest, TakesNoRedirectButToHttpAndAtMostFive) {
  HttpTestServer elsewhere(testing_support::AnswerAlways(HttpResponse(200, kStatusPage)));
  const std::string port = std::to_string(elsewhere.Port());
  struct Case {
    std::string location;
    std::size_t requests;
  };
  const Case cases[] = {
      {"ftp://127.0.0.1:" + port + "/", 1},
      {"https://127.0.0.1:" + port + "/", 1},
      {"file:///etc/hostname", 1},
      {"/again", 6},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(item.location);
    const std::string header = "Location: " + item.location + "\r\n";
    HttpTestServer router(
        testing_support::AnswerAlways(HttpResponse(302, "<html>moved</html>", header)));

    EXPECT_EQ(Fetch(router.Port()), 0);

    EXPECT_EQ(Page(), kPreviousPage);
    EXPECT_EQ(router.Requests().size(), item.requests);
  }
  EXPECT_EQ(elsewhere.Connections(), 0);
}

TEST_F(StatusFetchTest, RefusedConnectionLeavesThePage) {
  EXPECT_EQ(Fetch(testing_support::UnusedLoopbackPort()), 0);

  EXPECT_EQ(Page(), kPreviousPage);
}

TEST_F(StatusFetchTest, RouterAddressCanOnlyNameTheHost) {
  HttpTestServer router(testing_support::AnswerAlways(HttpResponse(200, kStatusPage)));
  const std::string port = std::to_string(router.Port());
  struct Case {
    std::string address;
    int result;
  };
  const Case cases[] = {
      {"127.0.0.1", 1},
      {"localhost", 1},
      {"127.0.0.1/evil", 0},
      {"127.0.0.1?cc_webname=OTHER", 0},
      {"127.0.0.1#top", 0},
      {"admin:s3cret@127.0.0.1", 0},
      {"127.0.0.1:" + port, 0},
      {"http://127.0.0.1", 0},
      {" 127.0.0.1", 0},
      {"127.0.0.1 ", 0},
      {"127.0.0.1\r\nX-Extra: 1", 0},
      {"127.1", 0},
      {"2130706433", 0},
      {"0x7f.0.0.1", 0},
      {"0x7f000001", 0},
      {"0x7f.0x0.0x0.0x1", 0},
      {"127.0.0.0x1", 0},
      {"0177.0.0.0x1", 0},
      {"127.0.0.01", 0},
      {"[::1]", 0},
      {"", 0},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(item.address);
    CopyText(m_record->m_szPage, kPreviousPage);
    CopyText(m_record->m_szRouterAddress, item.address);

    EXPECT_EQ(Fetch(router.Port()), item.result);

    if (item.result == 0) {
      EXPECT_EQ(Page(), kPreviousPage);
    }
  }
  EXPECT_EQ(router.Requests().size(), 2u);
}

TEST(RouterHostTest, AcceptsOnlyHostNamesAndDottedIpv4) {
  const std::string label63(63, 'a');
  struct Case {
    std::string text;
    bool valid;
  };
  const Case cases[] = {
      {"router", true},
      {"192.168.1.1", true},
      {"0.0.0.0", true},
      {"255.255.255.255", true},
      {"My-Router.home", true},
      {"1.2.3.example", true},
      {"4th.floor", true},
      {label63 + ".lan", true},
      {label63 + "." + label63 + "." + label63 + "." + std::string(61, 'b'), true},
      {"", false},
      {"a b", false},
      {"-router", false},
      {"router-", false},
      {"a..b", false},
      {".router", false},
      {"router.", false},
      {"my_router", false},
      {"router.home/", false},
      {"user@router", false},
      {"router:8080", false},
      {"router?x", false},
      {"router#x", false},
      {"r\xC3\xA9seau", false},
      {"256.1.1.1", false},
      {"1.2.3", false},
      {"1.2.3.4.5", false},
      {"01.2.3.4", false},
      {"1.2.3.4.", false},
      {"1234", false},
      {"0x7f000001", false},
      {"0X7F.lan", false},
      {"router.0x", false},
      {"127.0.0.0x1", false},
      {"017.example", false},
      {"router.00", false},
      {"0.example", true},
      {"0xrouter", true},
      {"10.example", true},
      {"::1", false},
      {label63 + "a.lan", false},
      {label63 + "." + label63 + "." + label63 + "." + std::string(62, 'b'), false},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(item.text);
    EXPECT_EQ(IsHostNameOrIpv4(item.text), item.valid);
  }
}

}  // namespace
