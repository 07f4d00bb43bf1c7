#pragma once

#include <algorithm>

#include "chatlink/ChatLink.h"

namespace kestar::test {

// A repeating timer whose every tick waits a while, letting events run: it counts its ticks and
// how deep they nested, and stops itself after a given number of ticks (0: never).
struct NestingProbe {
  NestingProbe(chatlink::Host& host, int intervalMs, double waitSeconds, int stopAfter)
      : timer(host, intervalMs) {
    timer.onTimer = [this, &host, waitSeconds, stopAfter] {
      ++ticks;
      deepest = std::max(deepest, ++depth);
      chatlink::waitFor(host, waitSeconds, nullptr);
      if (ticks == stopAfter) timer.setEnabled(false);
      --depth;
    };
    timer.setEnabled(true);
  }

  chatlink::Timer timer;
  int ticks = 0;
  int depth = 0;
  int deepest = 0;
};

}  // namespace kestar::test
