#pragma once

#include "chatlink/Host.h"
#include "tests/win32/StandIn.h"

namespace kestar::test {

// A host whose clock jumps over each wait, as the virtual host's does, and whose every round of
// events is also a round of the stand-in client's work: the client in its own process answers
// exactly when the simulated client would, so both give the same message sequences.
class PacedHost final : public chatlink::Host {
 public:
  explicit PacedHost(StandIn& client) : client_(client) {}

  void processEvents(double maxWaitSeconds) override {
    if (!client_.round() && maxWaitSeconds > 0) elapsed_ += maxWaitSeconds;
  }
  double timeOfDay() override { return 36000 + elapsed_; }
  double steadySeconds() override { return elapsed_; }
  int startTimer(int, std::function<void()>) override { return 0; }
  void stopTimer(int) override {}

 protected:
  void onEnd() override {}

 private:
  StandIn& client_;
  double elapsed_ = 0;
};

}  // namespace kestar::test
