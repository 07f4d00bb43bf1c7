// Measures the IRC service on each of the tests' private networks, ngircd and InspIRCd with
// Anope's services:
//  - a player's roll command to the total line back at the player: the player (a raw connection)
//    says "//roll-dice3-sides20", the serving Kestar answers, a counting Kestar with the dice
//    counter started announces the total; the median and slowest of 50, each after the send
//    queues have refilled (the pacing idle). On InspIRCd the roller logs in as its account, by
//    which the counter trusts it;
//  - a stored move of 40 lines and the spar terms, scrolled by the counting Kestar, then 40 lines
//    said at once: whether they reach the player unchanged and in order, and the Kestar is never
//    disconnected for flooding; where the server echoes (InspIRCd), whether the echo of each line
//    is byte for byte what was sent;
//  - the processor time of the whole process (both Kestars connected, with the counter scanning
//    and then stopped) while nothing happens.
// Run by hand: build/bench/kestar_irc_bench [ngircd|inspircd] (needs ngircd, inspircd and anope,
// and a Qt platform, e.g. QT_QPA_PLATFORM=offscreen); KESTAR_BENCH_TRACE=1 prints what the
// player reads.

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/KestarProgram.h"
#include "bench/BenchSupport.h"
#include "client/irc/IrcService.h"
#include "dice/Dice.h"
#include "irc/LineReader.h"
#include "moves/Moves.h"
#include "shell/QtHost.h"
#include "shell/Startup.h"
#include "tests/client/IrcRigs.h"
#include "tests/irc/Network.h"

namespace {

using namespace kestar;
using irc::test::NetworkKind;

using Kestar = test::IrcProgram;

// The player: every line's arrival is timed as it is read, and what the others say is kept.
struct Player {
  explicit Player(quint16 port) {
    QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
      for (std::string& line : reader.feed(socket.readAll().toStdString())) {
        if (line.rfind("PING ", 0) == 0) send("PONG " + line.substr(5));
        if (std::getenv("KESTAR_BENCH_TRACE") != nullptr)
          std::fprintf(stderr, "%s\n", line.c_str());
        const std::size_t said = line.find(" PRIVMSG #Spar_Arena :");
        if (said != std::string::npos) heard.push_back(line.substr(said + 22));
        if (line.find(waitingFor) != std::string::npos && !waitingFor.empty()) {
          arrived = clock.nsecsElapsed();
          waitingFor.clear();
        }
      }
    });
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.waitForConnected(5000);
  }
  void send(const std::string& line) {
    socket.write(QByteArray::fromStdString(line + "\r\n"));
    socket.flush();
  }
  // Sends a line (none when empty) and waits for one holding the text; the nanoseconds between,
  // or -1.
  qint64 roundTrip(const std::string& line, const std::string& text, int ms = 5000) {
    waitingFor = text;
    arrived = -1;
    clock.start();
    if (!line.empty()) send(line);
    // Not an event loop of its own: a Kestar that has ended (QtHost) quits every later one at
    // once. Each round waits for the next event, so a reply is read as soon as it comes.
    QTimer limit;
    limit.setSingleShot(true);
    limit.start(ms);
    while (arrived < 0 && limit.isActive())
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return arrived;
  }
  QTcpSocket socket;
  irc::LineReader reader;
  QElapsedTimer clock;
  std::string waitingFor;
  qint64 arrived = -1;
  std::vector<std::string> heard;  // the channel's lines, after " :"
};

bool enter(Kestar& kestar) {
  kestar.client.goToRoom("Spar Arena");
  return QTest::qWaitFor([&] { return kestar.client.room("Spar Arena") != 0; }, 5000);
}

// The lines the player heard from the Kestar after the first `from`, against those expected.
bool reachedWhole(const Player& player, std::size_t from, const std::vector<std::string>& sent,
                  const char* what) {
  const std::vector<std::string> heard(player.heard.begin() + static_cast<std::ptrdiff_t>(from),
                                       player.heard.end());
  if (heard == sent) return true;
  std::fprintf(stderr, "  %s: %zu lines heard of %zu sent\n", what, heard.size(), sent.size());
  for (std::size_t i = 0; i < std::min(heard.size(), sent.size()); ++i) {
    if (heard[i] != sent[i]) {
      std::fprintf(stderr, "  line %zu heard as \"%s\", sent as \"%s\"\n", i + 1, heard[i].c_str(),
                   sent[i].c_str());
      break;
    }
  }
  return false;
}

int benchOn(NetworkKind kind) {
  irc::test::Network network(kind);
  std::printf("%s\n", irc::test::networkName(kind).c_str());
  if (!network.start()) {
    std::fprintf(stderr, "the network did not start:\n%s\n", network.output().c_str());
    return 1;
  }
  QString password;
  if (network.hasServices()) {
    password = QStringLiteral("pw-DiceHost");
    if (!network.registerAccount("DiceHost", password.toStdString())) {
      std::fprintf(stderr, "the roller's account was not registered\n");
      return 1;
    }
  }
  Kestar roller(network.port(), "DiceHost", true, password);
  Kestar counter(network.port(), "carol", false);
  if (!enter(roller) || !enter(counter)) {
    std::fprintf(stderr, "the Kestars did not get in\n");
    return 1;
  }
  QTest::mouseClick(counter.program.window<shell::Startup>().Command1, Qt::LeftButton);
  QTest::mouseClick(counter.program.window<dice::Dice>().Command1, Qt::LeftButton);
  Player player(network.port());
  player.send("NICK bob");
  player.send("USER bob 0 * :bob");
  if (player.roundTrip({}, " 001 ") < 0 || player.roundTrip("JOIN #Spar_Arena", " 366 ") < 0) {
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
      std::fprintf(stderr, "  (state: %s)\n", counter.service.state().c_str());
      return 1;
    }
    ms.push_back(ns / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  std::printf(
      "  roll command to total line (50 rolls): median %.1f ms, fastest %.1f ms, "
      "slowest %.1f ms\n",
      (ms[24] + ms[25]) / 2, ms.front(), ms.back());

  // What the counting Kestar sends from here on, and what the server echoes of it.
  const irc::IrcConnection& carol = counter.service.connection();
  std::vector<std::string> written;
  std::vector<std::string> echoed;
  int losses = 0;
  QObject::connect(
      &carol, &irc::IrcConnection::written,
      [&](quint64, const QString&, const QString& text) { written.push_back(text.toStdString()); });
  QObject::connect(&carol, &irc::IrcConnection::relayed,
                   [&](quint64, const QString&, const QString& text, irc::IrcConnection::Kind) {
                     echoed.push_back(text.toStdString());
                   });
  QObject::connect(&carol, &irc::IrcConnection::stateChanged,
                   [&](irc::IrcConnection::State state, const QString&) {
                     if (state != irc::IrcConnection::State::Registered) ++losses;
                   });
  QTest::qWait(2500);
  const std::size_t before = player.heard.size();
  std::vector<std::string> sent;
  QString move;
  for (int line = 1; line <= 40; ++line) {
    sent.push_back("Move " + std::to_string(line) + " of 40: a swift strike high, a feint low, " +
                   std::string(static_cast<std::size_t>(line % 7), '*') + " then the guard");
    move += QString::fromStdString(sent.back()) + QLatin1Char('\n');
  }
  counter.program.window<shell::Startup>().Command6->click();
  moves::Moves& moves = counter.program.window<moves::Moves>();
  moves.Text1->setPlainText(move);
  QElapsedTimer took;
  took.start();
  QTest::mouseClick(moves.Command1, Qt::LeftButton);  // returns when the scroll has ended
  for (std::string& line : test::sendAllTerms(counter))
    sent.push_back(std::move(line));
  (void)QTest::qWaitFor([&] { return player.heard.size() >= before + sent.size(); }, 20000);
  QTest::qWait(1000);
  const double scrolled = took.elapsed() / 1000.0;
  const bool whole = reachedWhole(player, before, sent, "the move and the terms");

  // 40 lines said at once: the pace (4, then one a second) is all that keeps them from flooding.
  const std::size_t burstFrom = player.heard.size();
  std::vector<std::string> burst;
  for (int line = 1; line <= 40; ++line) {
    burst.push_back("Said at once, line " + std::to_string(line) + " of 40");
    sent.push_back(burst.back());
    counter.client.typeLine("Spar Arena", burst.back());
  }
  took.restart();
  (void)QTest::qWaitFor([&] { return player.heard.size() >= burstFrom + burst.size(); }, 60000);
  const double paced = took.elapsed() / 1000.0;
  QTest::qWait(1000);
  const bool burstWhole = reachedWhole(player, burstFrom, burst, "the lines said at once");

  std::printf(
      "  a move of 40 lines and 8 terms scrolled in %.1f s: %s; 40 lines said at once "
      "reached the room in %.1f s: %s; disconnected %d times\n",
      scrolled, whole ? "all reached the room unchanged, in order" : "NOT WHOLE", paced,
      burstWhole ? "all unchanged, in order" : "NOT WHOLE", losses);
  bool echoWhole = true;
  if (carol.echoes()) {
    echoWhole = written == sent && echoed == sent;
    std::printf("  echo-message: %zu lines written, %zu echoed, %s\n", written.size(),
                echoed.size(),
                echoWhole ? "each echo byte for byte what was sent" : "ECHOES DIFFER");
  }

  const auto idle = [](const char* what) {
    const double cpuBefore = bench::cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(20000);
    const double cpu = bench::cpuSeconds() - cpuBefore;
    const double seconds = wall.elapsed() / 1000.0;
    std::printf("  idle, %s: %.3f s CPU in %.1f s = %.2f %% of one core\n", what, cpu, seconds,
                100 * cpu / seconds);
  };
  idle("both Kestars connected, the counter scanning");
  QTest::mouseClick(counter.program.window<dice::Dice>().Command2, Qt::LeftButton);
  idle("both Kestars connected, no scanner running");
  return whole && burstWhole && echoWhole && losses == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // "ngircd" or "inspircd" runs on that network alone.
  const std::string only = argc > 1 ? argv[1] : "";
  int failed = 0;
  if (only != "inspircd") failed += benchOn(NetworkKind::Ngircd);
  if (only != "ngircd") failed += benchOn(NetworkKind::Inspircd);
  return failed == 0 ? 0 : 1;
}
