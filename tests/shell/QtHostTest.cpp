// The Qt program's host, on Qt's own event loop and clock.

#include <gtest/gtest.h>

#include "chatlink/ChatLink.h"
#include "shell/QtHost.h"
#include "tests/support/NestingProbe.h"

namespace kestar::test {
namespace {

TEST(QtHost, APauseOfOneSecondLastsHalfToOneAndAHalfSeconds) {
  shell::QtHost host;
  const double start = host.steadySeconds();
  chatlink::Pause(host, 1);
  const double lasted = host.steadySeconds() - start;
  EXPECT_GE(lasted, 0.5);
  EXPECT_LE(lasted, 1.5);
}

TEST(QtHost, ATimerNeitherTicksInsideItsOwnTickNorAfterItIsStoppedThere) {
  shell::QtHost host;
  NestingProbe probe(host, 10, 0.1, 3);
  chatlink::waitFor(host, 0.6, nullptr);
  EXPECT_EQ(probe.ticks, 3);
  EXPECT_EQ(probe.deepest, 1);
}

TEST(QtHost, NothingTicksOrWaitsAfterTheEnd) {
  shell::QtHost host;
  chatlink::Timer timer(host, 10);
  int ticks = 0;
  timer.onTimer = [&] {
    if (++ticks == 2) host.end();
  };
  timer.setEnabled(true);
  chatlink::waitFor(host, 0.3, nullptr);
  EXPECT_EQ(ticks, 2);
  const double start = host.steadySeconds();
  chatlink::Pause(host, 1);
  timer.setEnabled(true);
  chatlink::waitFor(host, 0.2, nullptr);
  EXPECT_LT(host.steadySeconds() - start, 0.1);
  EXPECT_EQ(ticks, 2);
}

}  // namespace
}  // namespace kestar::test
