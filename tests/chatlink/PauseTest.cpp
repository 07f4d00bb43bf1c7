#include <gtest/gtest.h>

#include "chatlink/ChatLink.h"
#include "tests/support/NestingProbe.h"
#include "tests/support/VirtualHost.h"

namespace kestar::test {
namespace {

using chatlink::Pause;

TEST(Pause, RoundsItsStartHalvesToEven) {
  struct Case {
    double start;
    int seconds;
    double ends;
  };
  const Case cases[] = {
      {100.4, 1, 101.0},  // rounds down: 0.6 s
      {100.6, 1, 102.0},  // rounds up: 1.4 s
      {100.5, 1, 101.0},  // half to even (100)
      {101.5, 1, 103.0},  // half to even (102)
      {100.0, 3, 103.0},
      {100.7, 0, 101.0},  // a zero pause waits for the next second when more than half is gone
      {100.3, 0, 100.3},  // and otherwise returns at once
      {100.3, -2, 100.3},
  };
  for (const Case& c : cases) {
    VirtualHost host(c.start);
    Pause(host, c.seconds);
    EXPECT_NEAR(host.timeOfDay(), c.ends, 1e-9) << c.start << " + " << c.seconds;
  }
}

TEST(Pause, ZeroPauseInTheFirstHalfLetsNoEventRun) {
  VirtualHost host(100.3);
  Pause(host, 0);
  EXPECT_EQ(host.rounds, 0);
}

TEST(Pause, SpansMidnight) {
  VirtualHost host(86399.7);  // rounds to 86400, the coming midnight
  Pause(host, 1);
  EXPECT_NEAR(host.steadySeconds(), 1.3, 1e-9);
  EXPECT_NEAR(host.timeOfDay(), 1.0, 1e-9);

  VirtualHost late(86399.2);
  Pause(late, 2);
  EXPECT_NEAR(late.steadySeconds(), 1.8, 1e-9);
}

TEST(Pause, LetsEventsRunAndWaitsBetweenLooks) {
  VirtualHost host(500.0);
  int ticks = 0;
  chatlink::Timer timer(host, 300);
  timer.onTimer = [&] { ++ticks; };
  timer.setEnabled(true);
  int posted = 0;
  host.addSource([&] { return posted < 3 && ++posted > 0; });

  Pause(host, 10);
  EXPECT_EQ(ticks, 33);
  EXPECT_EQ(posted, 3);
  EXPECT_NEAR(host.steadySeconds(), 10.0, 1e-6);
  // Each round either ran events or waited: a pause that only polled would need far more.
  EXPECT_LT(host.rounds, 10 * 20 + 33 + 3 + 5);
}

TEST(Pause, ReturnsAtOnceWhenTheProgramEnds) {
  VirtualHost host(500.0);
  chatlink::Timer timer(host, 300);
  timer.onTimer = [&] { host.end(); };
  timer.setEnabled(true);
  Pause(host, 30);
  EXPECT_NEAR(host.steadySeconds(), 0.3, 1e-9);
}

TEST(Pause, ATimerWhoseTickWaitsDoesNotTickAgainInsideIt) {
  // As on Qt's loop: the test clock must not nest a timer's ticks.
  VirtualHost host;
  NestingProbe probe(host, 100, 1, 0);
  host.advance(3.05);
  EXPECT_EQ(probe.deepest, 1);
  EXPECT_GE(probe.ticks, 2);
}

}  // namespace
}  // namespace kestar::test
