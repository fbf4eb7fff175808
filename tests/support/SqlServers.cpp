#include "support/SqlServers.h"

#include <gtest/gtest.h>

namespace veska::test {

namespace {

void FailTest(const QString& reason)
{
  ADD_FAILURE() << reason.toStdString();
}

// Stops the servers the tests started when they end.
class TStopServers final : public ::testing::Environment {
public:
  void SetUp() override { testkit::SetFailureReporter(&FailTest); }
  void TearDown() override { testkit::StopSharedServers(); }
};

[[maybe_unused]] const bool StopServersRegistered = (::testing::AddGlobalTestEnvironment(new TStopServers), true);

}  // namespace

}  // namespace veska::test
