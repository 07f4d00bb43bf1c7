#pragma once

#include <map>

#include "chatlink/Host.h"

namespace kestar::chatlink::win32 {

// A host for Windows programs without Qt: the thread's message queue, the local time of day, the
// performance counter and thread timers.
class Win32Host final : public Host {
 public:
  Win32Host();
  ~Win32Host() override;

  void processEvents(double maxWaitSeconds) override;
  double timeOfDay() override;
  double steadySeconds() override;
  int startTimer(int intervalMs, std::function<void()> tick) override;
  void stopTimer(int id) override;

 protected:
  void onEnd() override;

 private:
  void tick(unsigned long long timerId);

  std::map<unsigned long long, std::function<void()>> timers_;
  double counterFrequency_ = 1;
};

}  // namespace kestar::chatlink::win32
