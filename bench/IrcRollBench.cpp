// Measures the IRC service over a private ngircd on loopback:
//  - a player's roll command to the total line back at the player: the player (a raw connection)
//    says "//roll-dice3-sides20", the serving Kestar answers, a counting Kestar with the dice
//    counter started announces the total; the median and worst of 50, each after the send
//    queues have refilled (the pacing idle);
//  - the processor time of the whole process (both Kestars connected, with the counter scanning
//    and then stopped) while nothing happens.
// Run by hand: build/bench/kestar_irc_bench (needs ngircd and a Qt platform, e.g.
// QT_QPA_PLATFORM=offscreen).

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/KestarProgram.h"
#include "bench/BenchSupport.h"
#include "client/irc/IrcService.h"
#include "dice/Dice.h"
#include "irc/LineReader.h"
#include "shell/QtHost.h"
#include "shell/Startup.h"
#include "tests/client/IrcRigs.h"
#include "tests/irc/Ngircd.h"

namespace {

using namespace kestar;

using Kestar = test::IrcProgram;

// The player: every line's arrival is timed as it is read.
struct Player {
  explicit Player(quint16 port) {
    QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
      for (std::string& line : reader.feed(socket.readAll().toStdString())) {
        if (line.rfind("PING ", 0) == 0) send("PONG " + line.substr(5));
        if (std::getenv("KESTAR_BENCH_TRACE"))
          std::fprintf(stderr, "%lld %s\n", (long long)clock.nsecsElapsed() / 1000000,
                       line.c_str());
        if (line.find(waitingFor) != std::string::npos && !waitingFor.empty()) {
          arrived = clock.nsecsElapsed();
          waitingFor.clear();
          loop.quit();
        }
      }
    });
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.waitForConnected(5000);
    send("NICK bob");
    send("USER bob 0 * :bob");
  }
  void send(const std::string& line) {
    socket.write(QByteArray::fromStdString(line + "\r\n"));
    socket.flush();
  }
  // Sends a line and waits for one holding the text; the nanoseconds between, or -1.
  qint64 roundTrip(const std::string& line, const std::string& text) {
    waitingFor = text;
    arrived = -1;
    clock.start();
    send(line);
    // One limit for this wait only: a limit left running from an earlier one would end it early.
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(5000);
    loop.exec();
    return arrived;
  }
  QTcpSocket socket;
  irc::LineReader reader;
  QElapsedTimer clock;
  QEventLoop loop;
  std::string waitingFor;
  qint64 arrived = -1;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  irc::test::Ngircd server;
  if (!server.start()) {
    std::fprintf(stderr, "ngircd did not start\n");
    return 1;
  }
  Kestar roller(server.port(), "DiceHost", true);
  roller.client.goToRoom("Spar Arena");
  if (!QTest::qWaitFor([&] { return roller.client.room("Spar Arena") != 0; }, 5000)) {
    std::fprintf(stderr, "roller did not get in\n");
    return 1;
  }
  Kestar counter(server.port(), "carol", false);
  counter.client.goToRoom("Spar Arena");
  if (!QTest::qWaitFor([&] { return counter.client.room("Spar Arena") != 0; }, 5000)) {
    std::fprintf(stderr, "counter did not get in\n");
    return 1;
  }
  QTest::mouseClick(counter.program.window<shell::Startup>().Command1, Qt::LeftButton);
  QTest::mouseClick(counter.program.window<dice::Dice>().Command1, Qt::LeftButton);
  Player player(server.port());
  if (player.roundTrip("JOIN #Spar_Arena", " 366 ") < 0) {
    std::fprintf(stderr, "the player did not get in\n");
    return 1;
  }

  std::vector<double> ms;
  for (int roll = 0; roll < 50; ++roll) {
    QTest::qWait(2500);  // the send queues and the server's penalties back to idle
    const qint64 ns =
        player.roundTrip("PRIVMSG #Spar_Arena ://roll-dice3-sides20", "-Total of Roll by bob");
    if (ns < 0) {
      std::fprintf(stderr, "roll %d: no total within 5 s; the counter's room ends:\n", roll + 1);
      const auto lines = counter.client.transcript("Spar Arena");
      for (std::size_t i = lines.size() > 8 ? lines.size() - 8 : 0; i < lines.size(); ++i)
        std::fprintf(stderr, "  %s\n", lines[i].c_str());
      std::fprintf(stderr, "  (sent by the user: %zu, state: %s)\n",
                   counter.client.sentByUser().size(), counter.service.state().c_str());
      return 1;
    }
    ms.push_back(ns / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  std::printf(
      "roll command to total line (50 rolls): median %.1f ms, fastest %.1f ms, "
      "slowest %.1f ms\n",
      (ms[24] + ms[25]) / 2, ms.front(), ms.back());

  const auto idle = [](const char* what) {
    const double cpuBefore = bench::cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(20000);
    const double cpu = bench::cpuSeconds() - cpuBefore;
    const double seconds = wall.elapsed() / 1000.0;
    std::printf("idle, %s: %.3f s CPU in %.1f s = %.2f %% of one core\n", what, cpu, seconds,
                100 * cpu / seconds);
  };
  idle("both Kestars connected, the counter scanning");
  QTest::mouseClick(counter.program.window<dice::Dice>().Command2, Qt::LeftButton);
  idle("both Kestars connected, no scanner running");
  return 0;
}
