#pragma once

#include <functional>

namespace kestar::chatlink {

// What the program around the client link provides: its events, its clock, its timers and the
// knowledge that it has ended. The Qt program runs its event loop here; tests run a virtual clock.
class Host {
 public:
  virtual ~Host() = default;

  // Runs every pending event of the program once. When none is pending, waits for one for at
  // most maxWaitSeconds (0: does not wait), so that a caller looping on it does not spin a core.
  virtual void processEvents(double maxWaitSeconds) = 0;
  // The time of day in seconds since midnight, with its fraction.
  virtual double timeOfDay() = 0;
  // A clock in seconds that only moves forward (not at midnight, not when the clock is set).
  virtual double steadySeconds() = 0;

  // A repeating timer: tick runs on the program's thread every intervalMs until stopped.
  virtual int startTimer(int intervalMs, std::function<void()> tick) = 0;
  virtual void stopTimer(int id) = 0;

  // Told at the start of every Pause; for traces. Does nothing by default.
  virtual void pauseBegins(int seconds) { static_cast<void>(seconds); }

  // The end of the program: from here on nothing is sent, no wait waits and no timer ticks.
  void end() {
    if (ended_) return;
    ended_ = true;
    onEnd();
  }
  bool ended() const { return ended_; }

 protected:
  // Stops the timers and leaves the event loop.
  virtual void onEnd() = 0;

 private:
  bool ended_ = false;
};

// A timer of a window (the Timer1 of a form): an interval and an on/off switch. Switching it on
// starts the interval afresh.
class Timer final {
 public:
  explicit Timer(Host& host, int intervalMs = 0);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void setInterval(int intervalMs);
  int interval() const { return intervalMs_; }
  void setEnabled(bool on);
  bool enabled() const { return enabled_; }

  std::function<void()> onTimer;

 private:
  Host& host_;
  int intervalMs_;
  bool enabled_ = false;
  int id_ = 0;
};

}  // namespace kestar::chatlink
