#pragma once

#include <curl/curl.h>

#include <memory>

// Owners for libcurl's handles, so that each is released on every path.

struct CurlEasyCleanup {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct CurlMultiCleanup {
  void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
struct CurlUrlCleanup {
  void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};
struct CurlListCleanup {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

using UniqueCurl = std::unique_ptr<CURL, CurlEasyCleanup>;
using UniqueCurlMulti = std::unique_ptr<CURLM, CurlMultiCleanup>;
using UniqueCurlUrl = std::unique_ptr<CURLU, CurlUrlCleanup>;
using UniqueCurlList = std::unique_ptr<curl_slist, CurlListCleanup>;
