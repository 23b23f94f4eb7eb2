#include "monitor/status_fetch.h"

bool StartHttpLayer() { return true; }
void StopHttpLayer() {}
int FetchStatusPage(MonitorRecord&, const FetchOptions&) { return 0; }
