#include "monitor/status_check.h"
