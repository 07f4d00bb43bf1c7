#pragma once

#include <sys/resource.h>

#include <QTimer>

#include "client/Client.h"
#include "client/practice/PracticeService.h"

namespace kestar::bench {

// The processor time this process has used, user and system, in seconds.
inline double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The own client and the practice service as the Qt program runs them: its pending work on a later
// loop round.
struct QueuedClient {
  QueuedClient() {
    windows.onWorkQueued = [this] { QTimer::singleShot(0, [this] { windows.runPending(); }); };
  }
  client::Desktop windows;
  client::PracticeService service;
  client::Client client{windows, service};
};

}  // namespace kestar::bench
