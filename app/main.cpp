#include "app/monitor_app.h"

wxIMPLEMENT_APP(CMonitorApp);
