// Measures the chat scanner and Pause on the own client:
//  - the delay from a line appearing in the room to its ChatMsg (real event loop, real time);
//  - the processor time the program uses during a 10-second Pause, idle and with a scan running;
//  - the cost of one look at the transcript, with nothing new and with one new line, on a
//    100-line and a 10,000-line transcript.
// Run by hand: build/bench/kestar_bench

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <vector>

#include "bench/BenchSupport.h"
#include "chatlink/ChatScanner.h"
#include "client/Client.h"
#include "shell/QtHost.h"

namespace {

using kestar::chatlink::ChatScanner;
using kestar::chatlink::Link;
using kestar::client::Client;
using kestar::client::Desktop;
using kestar::client::PracticeService;

using kestar::bench::cpuSeconds;

// The own client with a room open.
struct BenchRoom : kestar::bench::QueuedClient {
  BenchRoom() { client.openRoom("Bench"); }
};

void measureDelay(kestar::shell::QtHost& host) {
  BenchRoom rig;
  const Link link{rig.windows, host};
  ChatScanner scanner(link);
  std::vector<double> delays;
  double saidAt = 0;
  scanner.ChatMsg = [&](const kestar::Text&, const kestar::Text&) {
    delays.push_back(host.steadySeconds() - saidAt);
  };
  scanner.StartScan();
  constexpr int kLines = 200;
  for (int i = 0; i < kLines; ++i) {
    // Lines arrive at odd moments relative to the scanner's looks.
    const double gap = 0.013 + (i * 7 % 11) * 0.009;
    const double until = host.steadySeconds() + gap;
    while (host.steadySeconds() < until)
      host.processEvents(until - host.steadySeconds());
    saidAt = host.steadySeconds();
    rig.service.sayAs("Bench", "Bob", "line " + std::to_string(i));
  }
  const double settle = host.steadySeconds() + 0.2;
  while (host.steadySeconds() < settle)
    host.processEvents(0.05);
  std::sort(delays.begin(), delays.end());
  const double mean = std::accumulate(delays.begin(), delays.end(), 0.0) / delays.size();
  std::printf(
      "line -> ChatMsg delay over %zu lines: mean %.1f ms, median %.1f ms, max %.1f ms "
      "(look every %d ms)\n",
      delays.size(), mean * 1e3, delays[delays.size() / 2] * 1e3, delays.back() * 1e3,
      ChatScanner::kLookIntervalMs);
}

void measurePauseCpu(kestar::shell::QtHost& host, bool scanning) {
  BenchRoom rig;
  const Link link{rig.windows, host};
  ChatScanner scanner(link);
  if (scanning) scanner.StartScan();
  const double cpuBefore = cpuSeconds();
  const double wallBefore = host.steadySeconds();
  kestar::chatlink::Pause(host, 10);
  const double cpu = cpuSeconds() - cpuBefore;
  const double wall = host.steadySeconds() - wallBefore;
  std::printf("Pause(10) %s: %.2f s wall, %.3f s CPU = %.2f %% of one core\n",
              scanning ? "with a scanner running" : "idle", wall, cpu, 100 * cpu / wall);
}

// A host for timing looks alone: no events, no timers.
class StillHost final : public kestar::chatlink::Host {
 public:
  void processEvents(double) override {}
  double timeOfDay() override { return 0; }
  double steadySeconds() override { return 0; }
  int startTimer(int, std::function<void()>) override { return 1; }
  void stopTimer(int) override {}

 protected:
  void onEnd() override {}
};

double nanosPerLook(PracticeService& service, ChatScanner& scanner, bool withNewLine, int looks) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < looks; ++i) {
    if (withNewLine) service.sayAs("Bench", "Bob", "new line " + std::to_string(i));
    scanner.look();
  }
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::nano>(end - start).count() / looks;
}

void measureLooks(std::size_t transcriptLines) {
  Desktop windows;
  PracticeService service;
  Client client(windows, service);
  client.openRoom("Bench");
  client.setTranscriptLimit(transcriptLines);
  for (std::size_t i = 0; i < transcriptLines; ++i) {
    service.sayAs("Bench", "Old", "history line " + std::to_string(i));
  }
  StillHost host;
  ChatScanner scanner(Link{windows, host});
  std::size_t heard = 0;
  scanner.ChatMsg = [&](const kestar::Text&, const kestar::Text&) { ++heard; };
  scanner.StartScan();
  constexpr int kLooks = 20000;
  nanosPerLook(service, scanner, false, 1000);  // warm up
  const double idle = nanosPerLook(service, scanner, false, kLooks);
  const double sayOnly = [&] {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kLooks; ++i)
      service.sayAs("Bench", "Bob", "new line " + std::to_string(i));
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start)
               .count() /
           kLooks;
  }();
  scanner.look();
  heard = 0;
  const double oneNew = nanosPerLook(service, scanner, true, kLooks);
  std::printf(
      "look on a %5zu-line transcript: nothing new %6.0f ns, one new line %6.0f ns "
      "(plus %.0f ns for the client to take the line; %zu of %d lines reported)\n",
      transcriptLines, idle, oneNew - sayOnly, sayOnly, heard, kLooks);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  kestar::shell::QtHost host;
  measureDelay(host);
  measurePauseCpu(host, false);
  measurePauseCpu(host, true);
  measureLooks(100);
  measureLooks(10000);
  return 0;
}
