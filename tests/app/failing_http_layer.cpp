// Loaded before libcurl into the built program, this makes the HTTP layer's
// start-up fail the way a broken installation would.
#include <curl/curl.h>

extern "C" CURLcode curl_global_init(long) { return CURLE_FAILED_INIT; }
