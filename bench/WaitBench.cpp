// Measures the processor time the client link's waits use while the client keeps them waiting,
// on the own client with the real event loop:
//  - DismissMessageBox watching a box it cannot press (no OK button) to its time limit;
//  - SendIM waiting for an instant-message window that does not come, to its time limit.
// Run by hand: build/bench/kestar_wait_bench

#include <QCoreApplication>
#include <cstdio>

#include "bench/BenchSupport.h"
#include "chatlink/ChatLink.h"
#include "shell/QtHost.h"

namespace {

using kestar::chatlink::Link;

using kestar::bench::cpuSeconds;
using Client = kestar::bench::QueuedClient;

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
