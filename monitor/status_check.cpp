#include "monitor/status_check.h"

#include "monitor/fixed_text.h"
#include "monitor/status_parse.h"

int CheckStatus(MonitorRecord& record, CWindowText& window, const FetchOptions& options) {
  if (FetchStatusPage(record, options) == 0 || ParseStatusPage(record) == 0) {
    window.SetTitle(kPlaceholderTitle);
    return 0;
  }
  window.SetTitle(FieldText(record.m_szPage));
  return 1;
}
