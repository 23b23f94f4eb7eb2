#include "monitor/status_fetch.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "monitor/curl_handle.h"
#include "monitor/fixed_text.h"
#include "monitor/router_host.h"

namespace {

constexpr std::size_t kSettingSize = sizeof(MonitorRecord::m_szRouterAddress);
constexpr std::size_t kPageSize = sizeof(MonitorRecord::m_szPage);

// What the callbacks have seen of one exchange. It may take several requests:
// an authentication challenge answered, redirects followed.
struct Exchange {
  CURL* m_hCurl = nullptr;
  char* m_szPage = nullptr;
  std::size_t m_nBody = 0;
  // libcurl's count of follow-ups when the last complete response head (1xx
  // aside) arrived; -1 before any.
  long m_nFollowUpsAtHead = -1;
};

// libcurl hands over only the final response's body; the bodies of answers
// it acts on (challenges, redirects) are skipped. So the page is written only
// once the exchange has its answer. The page is bytes: the cut at its size
// may fall inside a character.
std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto& exchange = *static_cast<Exchange*>(user);
  const std::size_t copied = std::min(size * count, kPageSize - 1 - exchange.m_nBody);
  std::memcpy(exchange.m_szPage + exchange.m_nBody, data, copied);
  exchange.m_nBody += copied;
  exchange.m_szPage[exchange.m_nBody] = '\0';
  // Short once the page is full: that ends the transfer.
  return copied;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto& exchange = *static_cast<Exchange*>(user);
  const std::size_t n = size * count;
  const std::string_view line(data, n);
  if (line == "\r\n" || line == "\n") {
    long nStatus = 0;
    curl_easy_getinfo(exchange.m_hCurl, CURLINFO_RESPONSE_CODE, &nStatus);
    if (nStatus >= 200) {
      curl_easy_getinfo(exchange.m_hCurl, CURLINFO_REDIRECT_COUNT, &exchange.m_nFollowUpsAtHead);
    }
  }
  return n;
}

// A response counts when its head arrived whole and the exchange ended with
// it, not when libcurl went on from it; libcurl counts every follow-up as a
// redirect, answered challenges included. libcurl also reports success when
// the router closes inside the head, so its result alone does not tell. A
// body only ever follows a whole head, so a page that was written always
// comes with result 1.
bool ResponseArrived(const Exchange& exchange, CURLcode code) {
  if (code == CURLE_TOO_MANY_REDIRECTS || exchange.m_nFollowUpsAtHead < 0) return false;
  long nFollowUps = 0;
  curl_easy_getinfo(exchange.m_hCurl, CURLINFO_REDIRECT_COUNT, &nFollowUps);
  return nFollowUps == exchange.m_nFollowUpsAtHead;
}

// The router address can only ever be the host: scheme, port, path and query
// are set part by part, never parsed out of typed text.
UniqueCurlUrl StatusPageUrl(const char* szHost, int nPort) {
  UniqueCurlUrl url(curl_url());
  if (!url) return nullptr;
  const std::string_view object(kStatusPageObject);
  const std::size_t query = object.find('?');
  char szPath[sizeof kStatusPageObject + 1];
  CopyText(szPath, "/");
  AppendText(szPath, object.substr(0, query));
  char szQuery[sizeof kStatusPageObject];
  CopyText(szQuery, object.substr(query + 1));
  char szPort[8] = {};
  std::to_chars(szPort, szPort + sizeof szPort - 1, nPort);
  const bool bBuilt = curl_url_set(url.get(), CURLUPART_SCHEME, "http", 0) == CURLUE_OK &&
                      curl_url_set(url.get(), CURLUPART_HOST, szHost, 0) == CURLUE_OK &&
                      curl_url_set(url.get(), CURLUPART_PORT, szPort, 0) == CURLUE_OK &&
                      curl_url_set(url.get(), CURLUPART_PATH, szPath, 0) == CURLUE_OK &&
                      curl_url_set(url.get(), CURLUPART_QUERY, szQuery, 0) == CURLUE_OK;
  if (!bBuilt) return nullptr;
  return url;
}

// A control byte would end or split the header that carries the credentials.
bool IsCredentialText(std::string_view text) {
  return std::ranges::none_of(text, [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

template <typename T>
bool SetOption(CURL* hCurl, CURLoption option, T value) {
  return curl_easy_setopt(hCurl, option, value) == CURLE_OK;
}

bool SetUpRequest(CURL* hCurl, CURLU* hUrl, curl_slist* headers, const char* szUser,
                  const FetchOptions& options, Exchange& exchange) {
  return SetOption(hCurl, CURLOPT_CURLU, hUrl) &&
         SetOption(hCurl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) &&
         SetOption(hCurl, CURLOPT_USERAGENT, kUserAgent) &&
         // Only the default header it would add is taken away; none is added.
         SetOption(hCurl, CURLOPT_HTTPHEADER, headers) &&
         // Straight to the router, whatever the proxy environment says.
         SetOption(hCurl, CURLOPT_PROXY, "") &&
         SetOption(hCurl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST)) &&
         SetOption(hCurl, CURLOPT_USERNAME, szUser) &&
         // Credentials go only to the first host and port; that is libcurl's
         // default and stays so.
         SetOption(hCurl, CURLOPT_FOLLOWLOCATION, 1L) && SetOption(hCurl, CURLOPT_MAXREDIRS, 5L) &&
         SetOption(hCurl, CURLOPT_REDIR_PROTOCOLS_STR, "http") &&
         SetOption(hCurl, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(options.connectTimeout.count())) &&
         SetOption(hCurl, CURLOPT_TIMEOUT_MS, static_cast<long>(options.totalTimeout.count())) &&
         // Fetches run on worker threads.
         SetOption(hCurl, CURLOPT_NOSIGNAL, 1L) &&
         // At the connect limit a name lookup still waiting for a silent name
         // server is left to end by itself instead of being waited for.
         SetOption(hCurl, CURLOPT_QUICK_EXIT, 1L) &&
         SetOption(hCurl, CURLOPT_WRITEFUNCTION, OnBody) &&
         SetOption(hCurl, CURLOPT_WRITEDATA, &exchange) &&
         SetOption(hCurl, CURLOPT_HEADERFUNCTION, OnHeader) &&
         SetOption(hCurl, CURLOPT_HEADERDATA, &exchange);
}

// Runs the transfer to its end. curl_easy_perform would wake the thread at
// least once a second while a slow router prepares its page; here the thread
// sleeps until the connection has something for it or libcurl's next
// deadline comes, and the total limit bounds every wait.
CURLcode Perform(CURL* hCurl, std::chrono::milliseconds totalTimeout) {
  const UniqueCurlMulti multi(curl_multi_init());
  if (!multi || curl_multi_add_handle(multi.get(), hCurl) != CURLM_OK) return CURLE_FAILED_INIT;
  const int nLongestWaitMs = static_cast<int>(
      std::clamp<std::chrono::milliseconds::rep>(totalTimeout.count(), 1, INT_MAX));
  int nRunning = 1;
  CURLMcode mcode = curl_multi_perform(multi.get(), &nRunning);
  while (mcode == CURLM_OK && nRunning != 0) {
    mcode = curl_multi_poll(multi.get(), nullptr, 0, nLongestWaitMs, nullptr);
    if (mcode == CURLM_OK) mcode = curl_multi_perform(multi.get(), &nRunning);
  }
  // A failure of the multi layer itself ends the transfer like a broken read.
  CURLcode code = CURLE_RECV_ERROR;
  int nLeft = 0;
  while (const CURLMsg* message = curl_multi_info_read(multi.get(), &nLeft)) {
    // libcurl hands the transfer's result in a union, read as its member for
    // CURLMSG_DONE.
    if (message->msg == CURLMSG_DONE)
      code = message->data.result;  // NOLINT(cppcoreguidelines-pro-type-union-access)
  }
  curl_multi_remove_handle(multi.get(), hCurl);
  return code;
}

}  // namespace

// The fetch is plain HTTP and follows redirects to plain HTTP only: no TLS
// library to start, which would cost every start-up its time.
bool StartHttpLayer() { return curl_global_init(CURL_GLOBAL_NOTHING) == CURLE_OK; }

void StopHttpLayer() { curl_global_cleanup(); }

int FetchStatusPage(MonitorRecord& record, const FetchOptions& options) {
  char szHost[kSettingSize];
  CopyText(szHost, FieldText(record.m_szRouterAddress));
  if (!IsHostNameOrIpv4(szHost) || options.port < 1 || options.port > 65535) return 0;
  char szUser[kSettingSize];
  CopyText(szUser, FieldText(record.m_szUserName));
  char szPassword[kSettingSize];
  CopyText(szPassword, FieldText(record.m_szPassword));
  if (!IsCredentialText(szUser) || !IsCredentialText(szPassword)) return 0;

  // Declared before the easy handle, which uses them until it is cleaned up.
  const UniqueCurlUrl url = StatusPageUrl(szHost, options.port);
  const UniqueCurlList headers(curl_slist_append(nullptr, "Accept:"));
  Exchange exchange;
  exchange.m_szPage = record.m_szPage;
  const UniqueCurl curl(curl_easy_init());
  if (!url || !headers || !curl) return 0;
  exchange.m_hCurl = curl.get();
  if (!SetUpRequest(curl.get(), url.get(), headers.get(), szUser, options, exchange)) return 0;
  // A dotted address is one address of one family: no second connection
  // attempt can follow, and the timer that would start one only wakes the
  // thread while the router prepares its page.
  if (IsIpv4Address(szHost) && !SetOption(curl.get(), CURLOPT_HAPPY_EYEBALLS_TIMEOUT_MS,
                                          static_cast<long>(options.connectTimeout.count()))) {
    return 0;
  }
  // A password that cannot be set leaves a request that is still worth sending.
  curl_easy_setopt(curl.get(), CURLOPT_PASSWORD, szPassword);

  const CURLcode code = Perform(curl.get(), options.totalTimeout);
  if (!ResponseArrived(exchange, code)) return 0;
  if (exchange.m_nBody == 0) CopyText(record.m_szPage, "");
  return 1;
}
