#pragma once

#include <functional>
#include <map>
#include <set>
#include <vector>

#include "chatlink/Host.h"

namespace kestar::test {

// A host with a virtual clock: waiting advances the clock at once to the next thing that happens,
// so a scroll of many lines with pauses takes no real time.
class VirtualHost final : public chatlink::Host {
 public:
  // Starts at the given time of day.
  explicit VirtualHost(double timeOfDay = 36000.0);

  // Work that runs on every round of events (the own client's queue); each returns whether
  // it did anything.
  void addSource(std::function<bool()> source) { sources_.push_back(std::move(source)); }

  void processEvents(double maxWaitSeconds) override;
  double timeOfDay() override;
  double steadySeconds() override { return elapsed_; }
  int startTimer(int intervalMs, std::function<void()> tick) override;
  void stopTimer(int id) override;
  void pauseBegins(int seconds) override { pauses.push_back(seconds); }

  // Moves the clock forward, running every round of events, timer ticks included, on the way.
  void advance(double seconds);
  // Runs rounds of the sources until nothing is pending (at most a bound, against endless work),
  // also after the program has ended: the client lives on.
  void settle();
  // Sets the time of day without moving the steady clock.
  void setTimeOfDay(double timeOfDay);
  int runningTimers() const { return static_cast<int>(timers_.size()); }

  // The seconds of every Pause begun, in order.
  std::vector<int> pauses;
  // Rounds of events run.
  int rounds = 0;

 protected:
  void onEnd() override { timers_.clear(); }

 private:
  struct TimerEntry {
    double interval;
    double due;
    std::function<void()> tick;
  };

  bool runSources();
  bool fireDueTimers();
  double nextDue() const;

  std::vector<std::function<bool()>> sources_;
  std::map<int, TimerEntry> timers_;
  std::set<int> ticking_;
  int nextTimerId_ = 1;
  double dayStart_;
  double elapsed_ = 0;
};

}  // namespace kestar::test
