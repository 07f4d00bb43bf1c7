#include "shell/QtHost.h"

#include <QCoreApplication>
#include <QTime>
#include <QTimer>
#include <cmath>

namespace kestar::shell {

QtHost::QtHost() {
  steady_.start();
}

QtHost::~QtHost() {
  for (auto& [id, timer] : timers_)
    delete timer;
}

void QtHost::processEvents(double maxWaitSeconds) {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (maxWaitSeconds <= 0 || ended()) return;
  // Sleep in the event loop until the next event, or this timer, wakes it: a wait that does not
  // spin a core.
  QTimer wake;
  wake.setSingleShot(true);
  wake.start(std::max(1, static_cast<int>(std::lround(maxWaitSeconds * 1000))));
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

double QtHost::timeOfDay() {
  return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

double QtHost::steadySeconds() {
  return static_cast<double>(steady_.nsecsElapsed()) / 1e9;
}

int QtHost::startTimer(int intervalMs, std::function<void()> tick) {
  const int id = nextId_++;
  auto* timer = new QTimer(this);
  timer->setInterval(intervalMs);
  QObject::connect(timer, &QTimer::timeout, this, [this, tick = std::move(tick)] {
    if (!ended()) tick();
  });
  timer->start();
  timers_[id] = timer;
  return id;
}

void QtHost::stopTimer(int id) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return;
  it->second->stop();
  // The timer may be the one whose tick is running now.
  it->second->deleteLater();
  timers_.erase(it);
}

void QtHost::onEnd() {
  for (auto& [id, timer] : timers_) {
    timer->stop();
    timer->deleteLater();
  }
  timers_.clear();
  QCoreApplication::exit(0);
}

}  // namespace kestar::shell
