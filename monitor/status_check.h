#pragma once

#include "monitor/monitor_record.h"
#include "monitor/status_fetch.h"
#include "monitor/window_text.h"

// Fetches the page, parses it and sets the window title to the title line or
// the placeholder. Returns 1 when an address was found.
int CheckStatus(MonitorRecord& record, CWindowText& window, const FetchOptions& options = {});
