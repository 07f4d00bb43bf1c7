#include "tests/support/VirtualHost.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kestar::test {
namespace {
constexpr double kDay = 86400.0;
}

VirtualHost::VirtualHost(double timeOfDay) : dayStart_(timeOfDay) {}

double VirtualHost::timeOfDay() {
  return std::fmod(dayStart_ + elapsed_, kDay);
}

void VirtualHost::setTimeOfDay(double timeOfDay) {
  dayStart_ = timeOfDay - elapsed_;
}

void VirtualHost::processEvents(double maxWaitSeconds) {
  if (ended()) return;
  ++rounds;
  bool worked = runSources();
  worked = fireDueTimers() || worked;
  if (worked || maxWaitSeconds <= 0) return;
  // Nothing pending: the wait ends at the next timer or after maxWaitSeconds, and always moves
  // the clock, if only by the smallest step, so that a caller waiting out a remainder too small
  // to add gets there.
  const double limit = std::max(elapsed_ + maxWaitSeconds,
                                std::nextafter(elapsed_, std::numeric_limits<double>::infinity()));
  elapsed_ = std::min(limit, std::max(elapsed_, nextDue()));
  fireDueTimers();
}

int VirtualHost::startTimer(int intervalMs, std::function<void()> tick) {
  const int id = nextTimerId_++;
  const double interval = intervalMs / 1000.0;
  timers_[id] = TimerEntry{interval, elapsed_ + interval, std::move(tick)};
  return id;
}

void VirtualHost::stopTimer(int id) {
  timers_.erase(id);
}

void VirtualHost::advance(double seconds) {
  const double target = elapsed_ + seconds;
  while (!ended()) {
    settle();
    const double due = nextDue();
    if (due > target) break;
    elapsed_ = std::max(elapsed_, due);
    fireDueTimers();
  }
  elapsed_ = std::max(elapsed_, target);
  settle();
}

void VirtualHost::settle() {
  // The sources are the other side (the client), which goes on after the program has ended.
  for (int i = 0; i < 10000; ++i) {
    ++rounds;
    if (!runSources()) return;
  }
}

bool VirtualHost::runSources() {
  bool worked = false;
  for (auto& source : sources_)
    worked = source() || worked;
  return worked;
}

bool VirtualHost::fireDueTimers() {
  // Each due timer ticks once per round; a tick may start or stop timers, this one included. As
  // in Qt, a timer does not tick again while its own tick is still running (inside a wait).
  std::vector<int> due;
  for (const auto& [id, timer] : timers_) {
    if (timer.due <= elapsed_ + 1e-9 && ticking_.count(id) == 0) due.push_back(id);
  }
  for (const int id : due) {
    const auto it = timers_.find(id);
    if (it == timers_.end() || ended() || ticking_.count(id) != 0) continue;
    it->second.due += it->second.interval;
    if (it->second.due <= elapsed_) it->second.due = elapsed_ + it->second.interval;
    auto tick = it->second.tick;
    ticking_.insert(id);
    tick();
    ticking_.erase(id);
  }
  return !due.empty();
}

double VirtualHost::nextDue() const {
  double due = std::numeric_limits<double>::infinity();
  for (const auto& [id, timer] : timers_) {
    if (ticking_.count(id) == 0) due = std::min(due, timer.due);
  }
  return due;
}

}  // namespace kestar::test
