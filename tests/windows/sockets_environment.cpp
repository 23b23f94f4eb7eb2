// Windows Sockets started for the whole test program, as the program starts
// them once at start-up.
#include <gtest/gtest.h>

#include "mail/socket_io.h"

namespace {

class CSocketsEnvironment : public testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(StartSockets()); }
  void TearDown() override { StopSockets(); }
};
const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new CSocketsEnvironment);

}  // namespace
