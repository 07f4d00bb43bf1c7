#include <gtest/gtest.h>
#include <signal.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "irc/LineReader.h"
#include "irc/net/IrcConnection.h"
#include "tests/irc/Ngircd.h"
#include "tests/support/TempFolder.h"

namespace kestar::dicehost {
namespace {

using irc::test::Ngircd;
using irc::test::RawClient;

// kestar-dicehost itself, run against a private ngircd over TLS with the test's certificate.
class DiceHostRun final {
 public:
  DiceHostRun() {
    ready_ = irc::test::makeCertificate(folder_.path()) &&
             server_.start(folder_ / "cert.pem", folder_ / "key.pem");
  }

  bool ready() const { return ready_; }
  quint16 port() const { return server_.port(); }

  void configure(const std::string& extra) {
    test::writeBytes(config(), "server = ircs://127.0.0.1:" + std::to_string(server_.tlsPort()) +
                                   "\nnick = DiceHost\nca = " + (folder_ / "cert.pem").string() +
                                   "\n" + extra);
  }
  std::string config() const { return (folder_ / "dicehost.conf").string(); }

  bool start() {
    process_.start(QStringLiteral(KESTAR_DICEHOST_PROGRAM),
                   {QStringLiteral("--config"), QString::fromStdString(config())});
    return process_.waitForStarted(5000);
  }
  void signal(int number) { ::kill(static_cast<pid_t>(process_.processId()), number); }
  QProcess& process() { return process_; }
  // Waits for a line of the log holding the text.
  bool logged(const std::string& text) {
    return QTest::qWaitFor(
        [&] {
          log_ += process_.readAllStandardError().toStdString();
          return log_.find(text) != std::string::npos;
        },
        10000);
  }
  const std::string& log() const { return log_; }

 private:
  test::TempFolder folder_;
  Ngircd server_;
  QProcess process_;
  std::string log_;
  bool ready_ = false;
};

TEST(DiceHost, TermAndIntQuitWithTheirReasonWithinTwoSeconds) {
  DiceHostRun run;
  ASSERT_TRUE(run.ready());
  run.configure("room = Lobby\n");
  for (const int number : {SIGTERM, SIGINT}) {
    RawClient watcher(run.port(), number == SIGTERM ? "term" : "int");
    ASSERT_TRUE(watcher.joined("#Lobby"));
    ASSERT_TRUE(run.start());
    ASSERT_NE(watcher.waitFor(":DiceHost!", 10000), "") << run.log();
    QElapsedTimer clock;
    clock.start();
    run.signal(number);
    ASSERT_TRUE(run.process().waitForFinished(2000)) << number;
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(run.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.process().exitCode(), 0);
    const std::string quit = watcher.waitFor(":DiceHost!");
    // ngircd puts the reason in quotes.
    EXPECT_NE(quit.find(" QUIT :\"The roll service is stopping\""), std::string::npos) << quit;
  }
}

TEST(DiceHost, HangUpJoinsTheRoomsAddedAndLeavesTheRoomsRemoved) {
  DiceHostRun run;
  ASSERT_TRUE(run.ready());
  RawClient alpha(run.port(), "alpha");
  RawClient beta(run.port(), "beta");
  ASSERT_TRUE(alpha.joined("#Alpha"));
  ASSERT_TRUE(beta.joined("#Beta"));
  run.configure("room = Alpha\nroom = Spar Arena\n");
  ASSERT_TRUE(run.start());
  ASSERT_NE(alpha.waitFor(":DiceHost!", 10000), "") << run.log();

  run.configure("room = Spar Arena\nroom = #Beta\nlines-per-second = 2\n");
  run.signal(SIGHUP);
  // The next word of the dice host in #Alpha is its PART, not a QUIT: the same connection.
  const std::string left = alpha.waitFor(":DiceHost!");
  EXPECT_NE(left.find(" PART #Alpha"), std::string::npos) << left;
  const std::string joined = beta.waitFor(":DiceHost!");
  EXPECT_NE(joined.find(" JOIN :#Beta"), std::string::npos) << joined;
  EXPECT_TRUE(run.logged("Pacing now a burst of 4 lines, then one every 500 ms")) << run.log();

  // A configuration with a problem is said and changes nothing.
  run.configure("room = #Gamma\nnick = 1bad\n");
  run.signal(SIGHUP);
  EXPECT_TRUE(
      run.logged(run.config() + ":5: nick is given again (first at " + run.config() + ":2)"))
      << run.log();
  EXPECT_TRUE(run.logged("The configuration stays as it was")) << run.log();
  run.signal(SIGTERM);
  ASSERT_TRUE(run.process().waitForFinished(2000));
  const std::string quit = beta.waitFor(":DiceHost!");
  EXPECT_NE(quit.find(" QUIT :"), std::string::npos) << quit;
  EXPECT_EQ(run.process().exitCode(), 0);
}

TEST(DiceHost, CheckSaysEveryProblemAndConnectsToNothing) {
  test::TempFolder folder;
  QTcpServer listener;
  ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
  const std::string file = (folder / "dicehost.conf").string();
  const std::string server = "server = ircs://127.0.0.1:" + std::to_string(listener.serverPort());
  const struct {
    std::string text;
    int exitCode;
    std::string out;
    std::string err;
  } cases[] = {
      {server + "\nnick = DiceHost\nroom = Lobby\n", 0, file + ": no problem\n", ""},
      {server + "\nnick = 1bad\nroom = Lobby\nburst = 0\n", 2, "",
       file + ":2: nick \"1bad\" is not a nick\n" + file +
           ":4: burst \"0\" is not a whole number from 1 to 100\n"},
  };
  for (const auto& c : cases) {
    test::writeBytes(file, c.text);
    QProcess check;
    check.start(
        QStringLiteral(KESTAR_DICEHOST_PROGRAM),
        {QStringLiteral("--check"), QStringLiteral("--config"), QString::fromStdString(file)});
    ASSERT_TRUE(check.waitForFinished(10000));
    EXPECT_EQ(check.exitCode(), c.exitCode) << c.text;
    EXPECT_EQ(check.readAllStandardOutput().toStdString(), c.out);
    EXPECT_EQ(check.readAllStandardError().toStdString(), c.err);
    EXPECT_FALSE(listener.waitForNewConnection(200));
  }
}

// ngircd offers no bot mode: a scripted server says BOT=B, or nothing, in its 005.
TEST(DiceHost, MarksItselfABotWhereTheServerOffersIt) {
  for (const bool offered : {true, false}) {
    QTcpServer fake;
    ASSERT_TRUE(fake.listen(QHostAddress::LocalHost, 0));
    std::vector<std::string> heard;
    irc::LineReader reader;
    QObject::connect(&fake, &QTcpServer::newConnection, [&] {
      QTcpSocket* peer = fake.nextPendingConnection();
      QObject::connect(peer, &QTcpSocket::readyRead, [&, peer] {
        for (const std::string& line : reader.feed(peer->readAll().toStdString())) {
          heard.push_back(line);
          if (line.rfind("USER ", 0) != 0) continue;
          peer->write(":f 001 DiceHost :Welcome\r\n");
          peer->write(offered ? ":f 005 DiceHost BOT=B CHANTYPES=# :are supported\r\n"
                              : ":f 005 DiceHost CHANTYPES=# :are supported\r\n");
          peer->write(":f 376 DiceHost :End of MOTD\r\n");
        }
      });
    });
    irc::IrcSettings settings;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = fake.serverPort();
    settings.tls = false;
    settings.nick = QStringLiteral("DiceHost");
    settings.bot = true;
    irc::IrcConnection connection(settings);
    connection.join(QStringLiteral("#Lobby"));
    connection.open();
    const auto said = [&](const char* line) {
      return std::find(heard.begin(), heard.end(), line) != heard.end();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return said("JOIN #Lobby"); }, 5000));
    QTest::qWait(200);  // the mode goes behind the rejoins, in the same burst
    EXPECT_EQ(said("MODE DiceHost +B"), offered);
  }
}

}  // namespace
}  // namespace kestar::dicehost
