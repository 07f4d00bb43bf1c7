#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/irc/Network.h"

namespace kestar::irc::test {

// The tests' parameter: every network, or the two servers with the default case mapping.
inline auto everyNetwork() {
  return testing::Values(NetworkKind::Ngircd, NetworkKind::Inspircd, NetworkKind::InspircdAscii);
}
inline auto bothServers() {
  return testing::Values(NetworkKind::Ngircd, NetworkKind::Inspircd);
}
inline std::string paramName(const testing::TestParamInfo<NetworkKind>& info) {
  return networkName(info.param);
}

// A test on one network, started before the test's body.
class OnNetwork : public testing::TestWithParam<NetworkKind> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(network.start()) << networkName(GetParam()) << ":\n" << network.output();
  }

  Network network{GetParam()};
};

}  // namespace kestar::irc::test
