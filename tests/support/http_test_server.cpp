#include "tests/support/loopback_server.h"
