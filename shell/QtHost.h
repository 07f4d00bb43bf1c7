#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <map>

#include "chatlink/Host.h"

class QTimer;

namespace kestar::shell {

// The host of the Qt program: its event loop, the wall clock and Qt timers.
class QtHost final : public QObject, public chatlink::Host {
 public:
  QtHost();
  ~QtHost() override;

  void processEvents(double maxWaitSeconds) override;
  double timeOfDay() override;
  double steadySeconds() override;
  int startTimer(int intervalMs, std::function<void()> tick) override;
  void stopTimer(int id) override;

 protected:
  void onEnd() override;

 private:
  QElapsedTimer steady_;
  std::map<int, QTimer*> timers_;
  int nextId_ = 1;
};

}  // namespace kestar::shell
