// Measures the processor time the client link's waits use while the client keeps them waiting,
// on the simulated client with the real event loop:
//  - DismissMessageBox watching a box it cannot press (no OK button) to its time limit;
//  - SendIM waiting for an instant-message window that does not come, to its time limit.
// Run by hand: build/bench/kestar_wait_bench

#include <sys/resource.h>

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "chatlink/ChatLink.h"
#include "shell/QtHost.h"
#include "simclient/SimClient.h"

namespace {

using kestar::chatlink::Link;

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Client {
  Client() {
    windows.onWorkQueued = [this] { QTimer::singleShot(0, [this] { windows.runPending(); }); };
  }
  kestar::sim::SimWindows windows;
  kestar::sim::SimClient client{windows};
};

template <class Wait>
void measure(kestar::shell::QtHost& host, const char* what, Wait wait) {
  const double cpuBefore = cpuSeconds();
  const double wallBefore = host.steadySeconds();
  wait();
  const double cpu = cpuSeconds() - cpuBefore;
  const double wall = host.steadySeconds() - wallBefore;
  std::printf("%s: %.2f s wall, %.3f s CPU = %.2f %% of one core\n", what, wall, cpu,
              100 * cpu / wall);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  kestar::shell::QtHost host;
  {
    Client rig;
    rig.client.showMessageBox("Delete everything?", "Cancel");
    measure(host, "DismissMessageBox on a box without OK", [&] {
      kestar::chatlink::DismissMessageBox(Link{rig.windows, host});
    });
  }
  {
    Client rig;
    rig.client.setResponding(false);
    measure(host, "SendIM waiting for a window that does not come", [&] {
      kestar::chatlink::SendIM(Link{rig.windows, host}, u"Bob", u"hello");
    });
  }
  return 0;
}
