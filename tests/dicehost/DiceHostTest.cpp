#include <gtest/gtest.h>
#include <signal.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <regex>
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

  ~DiceHostRun() {
    process_.terminate();
    process_.waitForFinished(5000);
  }
  DiceHostRun(const DiceHostRun&) = delete;
  DiceHostRun& operator=(const DiceHostRun&) = delete;

  bool ready() const { return ready_; }
  quint16 port() const { return server_.port(); }

  void configure(const std::string& extra) {
    test::writeBytes(config(), "server = ircs://127.0.0.1:" + std::to_string(server_.tlsPort()) +
                                   "\nnick = DiceHost\nca = " + (folder_ / "cert.pem").string() +
                                   "\n" + extra);
  }
  std::string config() const { return (folder_ / "dicehost.conf").string(); }

  bool start(QStringList options = {}) {
    process_.start(QStringLiteral(KESTAR_DICEHOST_PROGRAM),
                   options << QStringLiteral("--config") << QString::fromStdString(config()));
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
  const std::filesystem::path& folder() const { return folder_.path(); }

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
    // ngircd puts the reason in quotes.
    const std::string quit = watcher.waitFor(" QUIT :");
    EXPECT_EQ(quit.rfind(":DiceHost!", 0), 0u) << quit;
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

  run.configure(
      "room = Spar Arena\nroom = #Beta\nlines-per-second = 2\nrequest-burst = 1\n"
      "requests-per-second = 0.25\n");
  run.signal(SIGHUP);
  // In #Alpha the dice host reveals its epoch while still there, then its next word is its PART,
  // not a QUIT: the same connection.
  EXPECT_EQ(alpha
                .waitFor(" PRIVMSG #Alpha :Dice epoch 1 of #Alpha ends after 0 answers: its seed "
                         "is ")
                .rfind(":DiceHost!", 0),
            0u);
  const std::string left = alpha.waitFor(":DiceHost!");
  EXPECT_NE(left.find(" PART #Alpha"), std::string::npos) << left;
  const std::string joined = beta.waitFor(":DiceHost!");
  EXPECT_NE(joined.find(" JOIN :#Beta"), std::string::npos) << joined;
  EXPECT_TRUE(run.logged("Pacing now a burst of 4 lines, then one every 500 ms")) << run.log();
  EXPECT_TRUE(run.logged("Requests of each nick now a burst of 1, then one every 4000 ms"))
      << run.log();
  // The added room is served, under the new limits.
  beta.send("PRIVMSG #Beta ://roll");
  beta.send("PRIVMSG #Beta ://roll");
  EXPECT_EQ(beta.waitFor(" PRIVMSG #Beta :beta rolled 2 6-sided dice:  ").rfind(":DiceHost!", 0),
            0u);
  EXPECT_NE(beta.waitFor(" NOTICE beta :")
                .find(" :beta, your rolls come faster than they are answered (1 at once, then "
                      "one each 4 s): the others are not answered."),
            std::string::npos);

  // A configuration with a problem is said and changes nothing.
  run.configure("room = #Gamma\nnick = 1bad\n");
  run.signal(SIGHUP);
  EXPECT_TRUE(
      run.logged(run.config() + ":5: nick is given again (first at " + run.config() + ":2)"))
      << run.log();
  EXPECT_TRUE(run.logged("The configuration stays as it was")) << run.log();
  run.signal(SIGTERM);
  ASSERT_TRUE(run.process().waitForFinished(2000));
  EXPECT_EQ(beta.waitFor(" QUIT :").rfind(":DiceHost!", 0), 0u);
  EXPECT_EQ(run.process().exitCode(), 0);
}

TEST(DiceHost, AnswersRollsInItsRoomsUnderThePerNickLimitAndRecordsThem) {
  DiceHostRun run;
  ASSERT_TRUE(run.ready());
  const std::filesystem::path state = run.folder() / "state";
  std::filesystem::create_directory(state);
  run.configure("room = Lobby\nrequest-burst = 1\nrequests-per-second = 0.2\nstate-directory = " +
                state.string() + "\n");
  RawClient bob(run.port(), "bob");
  ASSERT_TRUE(bob.joined("#Lobby"));
  ASSERT_TRUE(run.start({QStringLiteral("--verbose")}));
  ASSERT_NE(bob.waitFor(":DiceHost!", 10000), "") << run.log();

  // Not a room of the dice host: never answered, so bob's one request at once is still his.
  bob.send("PRIVMSG DiceHost ://roll");
  for (int i = 0; i < 3; ++i)
    bob.send(i == 0 ? "PRIVMSG #Lobby ://roll-dice3-sides6" : "PRIVMSG #Lobby ://roll");
  const std::string answer = bob.waitFor(" PRIVMSG #Lobby :bob rolled ");
  std::smatch dice;
  ASSERT_TRUE(std::regex_search(
      answer, dice,
      std::regex(" PRIVMSG #Lobby :bob rolled 3 6-sided dice:  ([1-6] [1-6] [1-6])$")))
      << answer;
  EXPECT_NE(bob.waitFor(" NOTICE bob :")
                .find(" :bob, your rolls come faster than they are answered (1 at once, then one "
                      "each 5 s): the others are not answered."),
            std::string::npos);
  // Answers are logged as they go, refusals as they come.
  for (const std::string& line :
       {"Answered in #Lobby: bob rolled 3 6-sided dice:  " + dice[1].str() + "\n",
        std::string("Limited: a roll of bob in #Lobby not answered; bob told so\n"),
        std::string("Limited: a roll of bob in #Lobby not answered\n")})
    EXPECT_TRUE(run.logged(line)) << line << run.log();

  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(state))
    files.push_back(entry.path());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_TRUE(
      std::regex_match(files[0].filename().string(), std::regex(R"(Lobby\.\d{4}-\d\d-\d\d\.log)")))
      << files[0];
  const std::string line = test::fileBytes(files[0]);
  EXPECT_TRUE(std::regex_match(line, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)"
                                                "\tbob\t//roll-dice3-sides6\t" +
                                                dice[1].str() + "\n")))
      << line;
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
