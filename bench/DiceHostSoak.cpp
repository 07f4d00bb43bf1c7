// The dice host under load, run by hand: the real kestar-dicehost against a private ngircd over TLS
// (its penalties off, so that the dice host's own pacing is the only limit), 20 raw players each
// asking a roll every 2 s.
//  1. With the dice host's pace raised (100 lines at once, then 100 a second) for --minutes
//     (default 10): every request answered exactly once, each player's answers in the order asked,
//     the answer latency (median, p99, worst) at the player, the dice host's resident memory each
//     minute and its processor time.
//  2. The same players for --paced-minutes (default 2) after SIGHUP sets the default pace (4, then
//     1 a second): what is answered and what is not, the notices of the per-nick limit, and the
//     dice host's own lines behind the answers: the JOIN of a room added by SIGHUP halfway, and
//     the QUIT of SIGTERM at the end.
// Usage: kestar_dicehost_soak [--program PATH] [--minutes N] [--paced-minutes N]
// (PATH: a kestar-dicehost, by default the one built beside this program; build both in Release).

#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "irc/LineReader.h"
#include "tests/irc/Ngircd.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace kestar;

constexpr int kPlayers = 20;
constexpr int kEveryMs = 2000;
const std::string kRoom = "#Soak";

QElapsedTimer& clock() {
  static QElapsedTimer timer;
  return timer;
}

double nowMs() {
  return static_cast<double>(clock().nsecsElapsed()) / 1e6;
}

// What the players saw in one phase, added up.
struct Tally {
  long asked = 0;
  long answered = 0;
  long skipped = 0;     // passed over by a later answer of the same player: never answered
  long unexpected = 0;  // an answer to no request waiting: a second answer, or one out of order
  long notices = 0;     // the per-nick limit's notices
  std::vector<double> latencies;
};

// A player: asks "//roll-diceD-sides6" with D going 1, 2, ... 15, 1, ..., so that each answer
// names the request it answers.
class Player final {
 public:
  Player(quint16 port, std::string nick) : nick_(std::move(nick)) {
    QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { read(); });
    socket_.connectToHost(QHostAddress::LocalHost, port);
    socket_.waitForConnected(5000);
    send("NICK " + nick_);
    send("USER " + nick_ + " 0 * :" + nick_);
    QObject::connect(&timer_, &QTimer::timeout, [this] { ask(); });
  }

  void send(const std::string& line) {
    socket_.write(QByteArray::fromStdString(line + "\r\n"));
    socket_.flush();
  }
  bool saw(const std::string& text) const {
    return std::any_of(seen_.begin(), seen_.end(), [&](const std::string& line) {
      return line.find(text) != std::string::npos;
    });
  }
  double sawAt(const std::string& text) const {
    for (std::size_t i = 0; i < seen_.size(); ++i)
      if (seen_[i].find(text) != std::string::npos) return seenAt_[i];
    return -1;
  }
  void watch(bool on) { watching_ = on; }

  void startAsking(int offsetMs) {
    QTimer::singleShot(offsetMs, &timer_, [this] {
      ask();
      timer_.start(kEveryMs);
    });
  }
  void stopAsking() { timer_.stop(); }
  // The phase's figures; the requests still waiting count as not answered.
  Tally take() {
    tally_.skipped += static_cast<long>(waiting_.size());
    waiting_.clear();
    return std::exchange(tally_, {});
  }

 private:
  struct Asked {
    int dice;
    double at;
  };

  void ask() {
    const int dice = next_++ % 15 + 1;
    waiting_.push_back({dice, nowMs()});
    ++tally_.asked;
    send("PRIVMSG " + kRoom + " ://roll-dice" + std::to_string(dice) + "-sides6");
  }

  void read() {
    const double at = nowMs();
    for (std::string& line : reader_.feed(socket_.readAll().toStdString())) {
      if (line.rfind("PING ", 0) == 0) {
        send("PONG " + line.substr(5));
        continue;
      }
      if (line.rfind(":DiceHost!", 0) != 0) continue;
      if (line.find(" NOTICE " + nick_ + " :") != std::string::npos) ++tally_.notices;
      const std::string mine = " PRIVMSG " + kRoom + " :" + nick_ + " rolled ";
      if (const auto found = line.find(mine); found != std::string::npos) {
        answered(std::atoi(line.c_str() + found + mine.size()), at);
      } else if (watching_) {
        seen_.push_back(line);
        seenAt_.push_back(at);
      }
    }
  }

  void answered(int dice, double at) {
    const auto it = std::find_if(waiting_.begin(), waiting_.end(),
                                 [&](const Asked& asked) { return asked.dice == dice; });
    if (it == waiting_.end()) {
      ++tally_.unexpected;
      return;
    }
    tally_.skipped += it - waiting_.begin();
    tally_.latencies.push_back(at - it->at);
    ++tally_.answered;
    waiting_.erase(waiting_.begin(), it + 1);
  }

  std::string nick_;
  QTcpSocket socket_;
  irc::LineReader reader_;
  QTimer timer_;
  std::deque<Asked> waiting_;
  int next_ = 0;
  Tally tally_;
  bool watching_ = true;
  std::vector<std::string> seen_;  // the dice host's other lines, while watched
  std::vector<double> seenAt_;
};

// From /proc: the resident memory in kB and the processor time in seconds of a process.
long residentKb(qint64 pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

double cpuSeconds(qint64 pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const auto close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(stat.substr(close + 2));
  std::string field;
  long ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i)
    if (i >= 14) ticks += std::atol(field.c_str());  // utime, stime
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

Tally gather(std::vector<std::unique_ptr<Player>>& players) {
  Tally all;
  for (auto& player : players) {
    Tally one = player->take();
    all.asked += one.asked;
    all.answered += one.answered;
    all.skipped += one.skipped;
    all.unexpected += one.unexpected;
    all.notices += one.notices;
    all.latencies.insert(all.latencies.end(), one.latencies.begin(), one.latencies.end());
  }
  std::sort(all.latencies.begin(), all.latencies.end());
  return all;
}

double percentile(const std::vector<double>& sorted, double p) {
  if (sorted.empty()) return -1;
  const auto rank = static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
  return sorted[rank];
}

void report(const char* phase, const Tally& tally) {
  std::printf(
      "%s: %ld asked, %ld answered, %ld not answered, %ld answers to no waiting request, %ld "
      "notices; latency median %.1f ms, p99 %.1f ms, worst %.1f ms\n",
      phase, tally.asked, tally.answered, tally.skipped, tally.unexpected, tally.notices,
      percentile(tally.latencies, 0.5), percentile(tally.latencies, 0.99),
      tally.latencies.empty() ? -1.0 : tally.latencies.back());
  std::fflush(stdout);
}

long countLines(const std::filesystem::path& file, const std::string& text) {
  std::ifstream log(file);
  long count = 0;
  for (std::string line; std::getline(log, line);)
    count += line.find(text) != std::string::npos;
  return count;
}

void progress(const std::string& line) {
  std::fprintf(stderr, "[%6.1f s] %s\n", nowMs() / 1000, line.c_str());
}

int run(const QString& program, double minutes, double pacedMinutes) {
  clock().start();
  test::TempFolder folder;
  if (!irc::test::makeCertificate(folder.path())) return progress("no certificate"), 1;
  irc::test::Ngircd server("[Limits]\nMaxPenaltyTime = 0\n");
  if (!server.start(folder / "cert.pem", folder / "key.pem")) return progress("no ngircd"), 1;
  const auto configure = [&](const std::string& extra) {
    test::writeBytes(folder / "dicehost.conf",
                     "server = ircs://127.0.0.1:" + std::to_string(server.tlsPort()) +
                         "\nnick = DiceHost\nca = " + (folder / "cert.pem").string() + "\nroom = " +
                         kRoom + "\nstate-directory = " + folder.path().string() + "\n" + extra);
  };
  configure("burst = 100\nlines-per-second = 100\n");

  std::vector<std::unique_ptr<Player>> players;
  for (int i = 1; i <= kPlayers; ++i) {
    players.push_back(std::make_unique<Player>(
        server.port(), "player" + std::string(i < 10 ? "0" : "") + std::to_string(i)));
    players.back()->send("JOIN " + kRoom);
  }
  Player side(server.port(), "side");
  side.send("JOIN #Side");
  QTest::qWait(1000);

  QProcess host;
  host.setStandardErrorFile(QString::fromStdString(folder / "dicehost.log"));
  host.start(program,
             {QStringLiteral("--config"), QString::fromStdString(folder / "dicehost.conf")});
  if (!host.waitForStarted(5000)) return progress("kestar-dicehost did not start"), 1;
  const qint64 pid = host.processId();
  const auto fail = [&](const std::string& why) {
    progress(why);
    host.kill();
    host.waitForFinished(5000);
    return 1;
  };
  if (!QTest::qWaitFor([&] { return players[0]->saw(" JOIN :" + kRoom); }, 20000))
    return fail("the dice host did not join");
  for (auto& player : players)
    player->watch(false);
  progress("the dice host is in " + kRoom + "; players asking");

  // 1. Paced freely.
  for (int i = 0; i < kPlayers; ++i)
    players[i]->startAsking(i * kEveryMs / kPlayers);
  const double cpuStart = cpuSeconds(pid);
  const double wallStart = nowMs();
  std::vector<long> resident;  // at the end of each minute
  for (double left = minutes * 60000; left > 0; left -= 60000) {
    QTest::qWait(static_cast<int>(std::min(left, 60000.0)));
    if (left < 60000) break;
    resident.push_back(residentKb(pid));
    progress("minute " + std::to_string(resident.size()) + ": resident " +
             std::to_string(resident.back()) + " kB");
  }
  const double cpu = cpuSeconds(pid) - cpuStart;
  const double wall = (nowMs() - wallStart) / 1000;
  for (auto& player : players)
    player->stopAsking();
  QTest::qWait(3000);
  report("paced freely", gather(players));
  std::printf("resident memory:");
  for (const long kb : resident)
    std::printf(" %ld", kb);
  std::printf(" kB (minute 1 to %zu); change %ld kB\n", resident.size(),
              resident.empty() ? 0 : resident.back() - resident.front());
  std::printf("processor time: %.2f s in %.0f s, %.2f %% of one core\n", cpu, wall,
              100 * cpu / wall);
  std::fflush(stdout);

  const std::filesystem::path log = folder / "dicehost.log";
  std::printf("the dice host's log: %ld requests limited, %ld connections lost\n",
              countLines(log, "Limited: "), countLines(log, "Connection lost"));

  // 2. The default pace.
  configure("");
  ::kill(static_cast<pid_t>(pid), SIGHUP);
  if (!QTest::qWaitFor([&] { return countLines(log, "Pacing now a burst of 4 lines") == 1; }, 5000))
    return fail("the dice host did not take the default pace");
  progress("default pace; players asking");
  const long limitedBefore = countLines(log, "Limited: ");
  for (int i = 0; i < kPlayers; ++i)
    players[i]->startAsking(i * kEveryMs / kPlayers);
  const int half = static_cast<int>(pacedMinutes * 30000);
  QTest::qWait(half);
  configure("room = #Side\n");
  const double hangUp = nowMs();
  ::kill(static_cast<pid_t>(pid), SIGHUP);
  QTest::qWait(half);
  for (auto& player : players)
    player->stopAsking();
  QTest::qWait(12000);  // the answers already due, at 1 a second
  report("default pace", gather(players));
  const double joined = side.sawAt(" JOIN :#Side");
  std::printf(
      "the dice host's log: %ld requests limited; the JOIN of a room added by SIGHUP seen after "
      "%.0f ms\n",
      countLines(log, "Limited: ") - limitedBefore, joined < 0 ? -1.0 : joined - hangUp);

  const double term = nowMs();
  ::kill(static_cast<pid_t>(pid), SIGTERM);
  const bool exited = host.waitForFinished(5000);
  const double exitMs = nowMs() - term;
  QTest::qWait(500);
  const double quit = side.sawAt(" QUIT :");
  std::printf("SIGTERM: %s after %.0f ms, its QUIT seen after %.0f ms; %ld connections lost\n",
              exited ? "exited" : "still running", exitMs, quit < 0 ? -1.0 : quit - term,
              countLines(log, "Connection lost"));
  std::fflush(stdout);
  return exited ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QString program = QStringLiteral(KESTAR_DICEHOST_PROGRAM);
  double minutes = 10;
  double pacedMinutes = 2;
  const QStringList arguments = QCoreApplication::arguments();
  for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
    if (arguments[i] == QStringLiteral("--program")) {
      program = arguments[i + 1];
    } else if (arguments[i] == QStringLiteral("--minutes")) {
      minutes = arguments[i + 1].toDouble();
    } else if (arguments[i] == QStringLiteral("--paced-minutes")) {
      pacedMinutes = arguments[i + 1].toDouble();
    } else {
      std::fprintf(stderr, "usage: %s [--program PATH] [--minutes N] [--paced-minutes N]\n",
                   argv[0]);
      return 2;
    }
  }
  return run(program, minutes, pacedMinutes);
}
