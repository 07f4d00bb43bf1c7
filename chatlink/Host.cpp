#include "chatlink/Host.h"

namespace kestar::chatlink {

Timer::Timer(Host& host, int intervalMs) : host_(host), intervalMs_(intervalMs) {}

Timer::~Timer() {
  setEnabled(false);
}

void Timer::setInterval(int intervalMs) {
  intervalMs_ = intervalMs;
  setEnabled(enabled_);
}

void Timer::setEnabled(bool on) {
  enabled_ = on;
  if (id_ != 0) {
    host_.stopTimer(id_);
    id_ = 0;
  }
  // A timer without an interval never ticks, as a form's timer with interval 0 does not.
  if (on && intervalMs_ > 0 && !host_.ended()) {
    id_ = host_.startTimer(intervalMs_, [this] {
      if (onTimer) onTimer();
    });
  }
}

}  // namespace kestar::chatlink
