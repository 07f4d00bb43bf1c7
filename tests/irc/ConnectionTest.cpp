#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QVariant>
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "irc/net/IrcConnection.h"
#include "tests/irc/Network.h"
#include "tests/irc/Ngircd.h"
#include "tests/irc/ScriptedServer.h"

// Signal arguments in failure messages as text.
void PrintTo(const QVariant& value, std::ostream* out) {
  *out << value.toString().toStdString();
}

namespace kestar::irc {
namespace {

using State = IrcConnection::State;
using test::Ngircd;
using test::plainSettings;
using test::RawClient;
using test::ScriptedServer;

bool reaches(const IrcConnection& connection, State state, int ms) {
  return QTest::qWaitFor([&] { return connection.state() == state; }, ms);
}

// The last arguments of a signal once it has come, else an empty list.
QList<QVariant> awaited(QSignalSpy& spy, int ms = 5000) {
  if (spy.isEmpty() && !spy.wait(ms)) return {};
  return spy.takeFirst();
}

TEST(IrcConnection, RegistersTalksInChannelsAndIsToldWhatIsRefused) {
  Ngircd server;
  ASSERT_TRUE(server.start());
  RawClient bob(server.port(), "bob");
  RawClient holder(server.port(), "alice");
  ASSERT_TRUE(bob.registered());
  ASSERT_TRUE(holder.joined("#full"));

  IrcSettings settings = plainSettings(server.port(), "alice");
  settings.joinPace = JoinPace{2, Millis(3000)};
  IrcConnection alice(settings);
  QSignalSpy chat(&alice, &IrcConnection::chatMessage);
  QSignalSpy held(&alice, &IrcConnection::joinHeld);
  QSignalSpy joins(&alice, &IrcConnection::joined);
  QSignalSpy refusedJoins(&alice, &IrcConnection::joinRefused);
  QSignalSpy refusedSends(&alice, &IrcConnection::sendRefused);
  alice.join(QStringLiteral("#test"));
  alice.open();
  ASSERT_TRUE(reaches(alice, State::Registered, 5000));
  EXPECT_EQ(alice.nick(), QStringLiteral("alice_"));  // "alice" was taken

  EXPECT_EQ(awaited(joins), (QList<QVariant>{"#test", "alice_"}));
  bob.send("JOIN #test");
  EXPECT_EQ(awaited(joins), (QList<QVariant>{"#test", "bob"}));
  bob.send(
      "PRIVMSG #test :hello \x02there\x02 \x03"
      "04caf\xC3\xA9");
  EXPECT_EQ(awaited(chat), (QList<QVariant>{"#test", "bob", QStringLiteral("hello there café"),
                                            QVariant::fromValue(IrcConnection::Kind::Message)}));
  bob.send("PRIVMSG alice_ :psst caf\xE9");
  EXPECT_EQ(awaited(chat).mid(0, 3),
            (QList<QVariant>{"alice_", "bob", QStringLiteral("psst café")}));
  EXPECT_EQ(alice.members().names("#test"), (std::vector<std::string>{"alice_", "bob"}));
  EXPECT_EQ(alice.members().isOperator("#test", "alice_"), Membership::Status::Yes);

  alice.say(QStringLiteral("#test"), QStringLiteral("hi bob, caf\u00e9"));
  EXPECT_EQ(bob.waitFor("PRIVMSG #test"),
            ":alice_!~alice@127.0.0.1 PRIVMSG #test :hi bob, caf\xC3\xA9");
  QSignalSpy delivered(&alice, &IrcConnection::delivered);
  alice.say(QStringLiteral("bob"), QStringLiteral("just you\nand you\n"));
  EXPECT_EQ(bob.waitFor("PRIVMSG bob"), ":alice_!~alice@127.0.0.1 PRIVMSG bob :just you");
  EXPECT_EQ(bob.waitFor("PRIVMSG bob"), ":alice_!~alice@127.0.0.1 PRIVMSG bob :and you");
  // Both lines to bob read by the server, once each.
  EXPECT_TRUE(QTest::qWaitFor([&] {
    QStringList targets;
    for (const QList<QVariant>& emission : delivered)
      targets += emission.at(0).toStringList();
    return targets.count(QStringLiteral("bob")) == 2;
  }));
  alice.join(QStringLiteral("#two words"));
  EXPECT_EQ(awaited(refusedJoins), (QList<QVariant>{"#two words", 0, "Not a channel name"}));
  alice.join(QStringLiteral("#full"));
  EXPECT_EQ(
      awaited(refusedJoins),
      (QList<QVariant>{"#full", 471, "Cannot join channel (+l) -- Channel is full, try later"}));
  // Knocking again: the second JOIN goes out; the third, too soon for the network, is held and
  // goes once the pace allows, three seconds after the first.
  alice.join(QStringLiteral("#full"));
  alice.join(QStringLiteral("#full"));
  EXPECT_EQ(awaited(held), (QList<QVariant>{"#full", 3}));
  for (int knock = 2; knock <= 3; ++knock)
    EXPECT_EQ(awaited(refusedJoins, 8000).value(1), 471) << knock;
  EXPECT_TRUE(held.isEmpty());
  alice.say(QStringLiteral("nobody"), QStringLiteral("are you there?"));
  EXPECT_EQ(awaited(refusedSends, 8000),
            (QList<QVariant>{"nobody", 401, "No such nick or channel name"}));
  alice.say(QStringLiteral("Bob Smith"), QStringLiteral("x"));
  EXPECT_EQ(awaited(refusedSends).value(1), 0);
  EXPECT_EQ(alice.state(), State::Registered);
}

// Why a connection failed, in the program's words (a refusal on a real port: IrcCommandsTest).
TEST(IrcConnection, SaysWhyAConnectionFailed) {
  using E = QAbstractSocket::SocketError;
  const std::pair<E, const char*> cases[] = {
      {E::ConnectionRefusedError, "Connection refused by h:7000 (no server there)"},
      {E::HostNotFoundError, "No such host: h"},
      {E::SocketTimeoutError, "Timed out connecting to h:7000"},
      {E::RemoteHostClosedError, "The server closed the connection"},
      {E::SslHandshakeFailedError, "TLS with h:7000 failed: Qt's words"},
      {E::NetworkError, "Connection to h:7000 failed: Qt's words"},
  };
  for (const auto& [error, said] : cases)
    EXPECT_EQ(socketFailure(error, QStringLiteral("h"), 7000, QStringLiteral("Qt's words")), said);
}

// 1000 bytes of two-byte characters arrive whole, in lines the server need not cut, under a
// cloaked host (396) and a longer nick than the connection began with.
TEST(IrcConnection, CutsLongLinesToFitTheMaskItHasNow) {
  Ngircd server(
      "[Options]\nCloakHostModeX = players.of.a-rather-long-cloaked-host.example.invalid\n");
  ASSERT_TRUE(server.start());
  RawClient bob(server.port(), "bob");
  ASSERT_TRUE(bob.registered());
  IrcConnection ann(plainSettings(server.port(), "ann"));
  QSignalSpy nicks(&ann, &IrcConnection::nickChanged);
  ann.open();
  ann.send(makeMessage("MODE", {"ann", "+x"}));  // ngircd cloaks no one in a channel
  ann.send(makeMessage("NICK", {"annabella"}));
  ASSERT_EQ(awaited(nicks, 8000), (QList<QVariant>{"ann", "annabella"}));
  const QString longText = QString(500, QChar(0xE9));
  ann.say(QStringLiteral("bob"), longText);
  std::string arrived;
  for (int piece = 0; piece < 3 && arrived.size() < 1000; ++piece) {
    const std::string line = bob.waitFor("PRIVMSG bob");
    ASSERT_LE(line.size() + 2, 512u);
    arrived += line.substr(line.find(" :") + 2);
  }
  EXPECT_EQ(arrived, longText.toStdString());
}

TEST(IrcConnection, TwentyLinesReachTheChannelInOrder) {
  Ngircd server;
  ASSERT_TRUE(server.start());
  RawClient bob(server.port(), "bob");
  ASSERT_TRUE(bob.joined("#test"));

  IrcConnection carol(plainSettings(server.port(), "carol"));
  QSignalSpy states(&carol, &IrcConnection::stateChanged);
  carol.join(QStringLiteral("#test"));
  for (int i = 1; i <= 20; ++i)
    carol.say(QStringLiteral("#test"), QStringLiteral("line %1 of 20").arg(i));
  carol.open();
  // A burst of 4 (the rejoin and three lines), then one a second: about 16 seconds.
  QElapsedTimer clock;
  std::vector<qint64> arrived;
  for (int i = 1; i <= 20; ++i) {
    const std::string line = bob.waitFor("PRIVMSG #test", 6000);
    if (i == 1) clock.start();
    arrived.push_back(clock.elapsed());
    ASSERT_EQ(line, ":carol!~carol@127.0.0.1 PRIVMSG #test :line " + std::to_string(i) + " of 20");
  }
  EXPECT_LE(arrived[4] - arrived[0], 2500);
  EXPECT_GE(arrived[19] - arrived[4], 14000);
  EXPECT_LE(arrived[19] - arrived[4], 17000);
  EXPECT_EQ(carol.queued(), 0u);
  ASSERT_EQ(states.size(), 2);  // connecting, registered: never dropped meanwhile
  EXPECT_EQ(states.at(1).at(0).value<State>(), State::Registered);
}

TEST(IrcConnection, ReconnectsRejoinsAndSendsWhatWasQueued) {
  Ngircd server;
  ASSERT_TRUE(server.start());
  IrcSettings settings = plainSettings(server.port(), "dave");
  IrcConnection dave(settings);
  QSignalSpy states(&dave, &IrcConnection::stateChanged);
  QSignalSpy joins(&dave, &IrcConnection::joined);
  QSignalSpy refusals(&dave, &IrcConnection::joinRefused);
  RawClient holder(server.port(), "holder");
  ASSERT_TRUE(holder.joined("#full"));
  dave.join(QStringLiteral("#test"));
  dave.join(QStringLiteral("#full"));
  dave.open();
  ASSERT_TRUE(reaches(dave, State::Registered, 5000));
  EXPECT_EQ(awaited(refusals).value(1), 471);

  // Said just before the fall: written, but the server never reads it.
  dave.say(QStringLiteral("#test"), QStringLiteral("said as it fell"));
  server.stop();
  ASSERT_TRUE(reaches(dave, State::Reconnecting, 5000));
  EXPECT_EQ(states.last().at(1), QStringLiteral("1"));  // the first wait: 1 second
  dave.say(QStringLiteral("#test"), QStringLiteral("said while away 1"));
  dave.say(QStringLiteral("#test"), QStringLiteral("said while away 2"));
  ASSERT_TRUE(server.restart());
  RawClient bob(server.port(), "bob");
  ASSERT_TRUE(bob.joined("#test"));

  EXPECT_EQ(bob.waitFor("JOIN", 10000), ":dave!~dave@127.0.0.1 JOIN :#test");
  EXPECT_EQ(bob.waitFor("PRIVMSG"), ":dave!~dave@127.0.0.1 PRIVMSG #test :said as it fell");
  EXPECT_EQ(bob.waitFor("PRIVMSG"), ":dave!~dave@127.0.0.1 PRIVMSG #test :said while away 1");
  EXPECT_EQ(bob.waitFor("PRIVMSG"), ":dave!~dave@127.0.0.1 PRIVMSG #test :said while away 2");
  EXPECT_EQ(dave.state(), State::Registered);
  EXPECT_EQ(dave.nick(), QStringLiteral("dave"));
  // The refused channel, empty now, was not knocked at again: a JOIN queued after the rejoins
  // comes back first.
  joins.clear();
  dave.join(QStringLiteral("#after"));
  EXPECT_EQ(awaited(joins), (QList<QVariant>{"#after", "dave"}));
  EXPECT_FALSE(dave.members().inChannel("#full"));
}

TEST(IrcConnection, TlsTrustsTheGivenAuthorityAndNothingUnverified) {
  Ngircd server;
  ASSERT_TRUE(test::makeCertificate(server.folder()));
  ASSERT_TRUE(server.start(server.folder() / "cert.pem", server.folder() / "key.pem"));

  IrcSettings settings = plainSettings(server.tlsPort(), "erin");
  settings.tls = true;
  settings.host = QStringLiteral("localhost");
  IrcConnection refused(settings);
  QSignalSpy refusedStates(&refused, &IrcConnection::stateChanged);
  refused.open();
  ASSERT_TRUE(reaches(refused, State::Disconnected, 10000));
  EXPECT_TRUE(refusedStates.last().at(1).toString().startsWith(
      QStringLiteral("The server's certificate is not trusted: ")))
      << refusedStates.last().at(1).toString().toStdString();
  QTest::qWait(1500);  // no quiet retry either
  EXPECT_EQ(refused.state(), State::Disconnected);

  settings.caFile = QString::fromStdString(server.folder() / "cert.pem");
  IrcConnection trusted(settings);
  trusted.open();
  EXPECT_TRUE(reaches(trusted, State::Registered, 10000));
  // The system's authorities stay trusted beside the given one.
  const QList<QSslCertificate> trusting =
      trusted.findChild<QSslSocket*>()->sslConfiguration().caCertificates();
  const QList<QSslCertificate> system = QSslConfiguration::systemCaCertificates();
  EXPECT_EQ(
      std::count_if(system.begin(), system.end(),
                    [&](const QSslCertificate& authority) { return trusting.contains(authority); }),
      system.size());
  EXPECT_TRUE(trusting.contains(QSslCertificate::fromPath(settings.caFile).value(0)));
}

TEST(IrcConnection, SendsTheServerPasswordAndStopsWhenItIsWrong) {
  Ngircd server("[Global]\nPassword = sesame\n");
  ASSERT_TRUE(server.start());
  IrcSettings settings = plainSettings(server.port(), "gina");
  settings.password = QStringLiteral("wrong");
  IrcConnection refused(settings);
  QSignalSpy states(&refused, &IrcConnection::stateChanged);
  refused.open();
  ASSERT_TRUE(reaches(refused, State::Disconnected, 5000));
  EXPECT_EQ(states.last().at(1), QStringLiteral("Access denied: Bad password?"));
  QTest::qWait(1500);  // no retry
  EXPECT_EQ(states.size(), 2);

  settings.password = QStringLiteral("sesame");
  IrcConnection welcome(settings);
  welcome.open();
  EXPECT_TRUE(reaches(welcome, State::Registered, 5000));
}

// ngircd has no SASL: a scripted server plays it, then falls silent to test liveness.
TEST(IrcConnection, LogsInWithSaslPlainAndNoticesASilentServer) {
  ScriptedServer fake([](QTcpSocket& peer, int, const std::string& line) {
    const auto answer = [&](const char* text) { peer.write(text); };
    if (line == "CAP LS 302") answer(":f CAP * LS * :multi-prefix\r\n:f CAP * LS :sasl=PLAIN\r\n");
    if (line == "CAP REQ :multi-prefix sasl") answer(":f CAP * ACK :multi-prefix sasl\r\n");
    if (line == "AUTHENTICATE PLAIN") answer("AUTHENTICATE +\r\n");
    if (line.rfind("AUTHENTICATE ", 0) == 0 && line != "AUTHENTICATE PLAIN")
      answer(":f 903 * :SASL authentication successful\r\n");
    if (line == "CAP END") answer(":f 001 frank :Welcome\r\n:f 422 frank :No MOTD\r\n");
  });
  IrcSettings settings = plainSettings(fake.port(), "frank");
  settings.saslAccount = QStringLiteral("frank");
  settings.saslPassword = QStringLiteral("s3cret");
  settings.quietMs = 300;
  settings.answerMs = 300;
  IrcConnection frank(settings);
  frank.open();
  ASSERT_TRUE(reaches(frank, State::Registered, 5000));
  EXPECT_EQ(fake.lines(1, ""),
            (std::vector<std::string>{"CAP LS 302", "NICK frank", "USER frank 0 * Kestar",
                                      "CAP REQ :multi-prefix sasl", "AUTHENTICATE PLAIN",
                                      "AUTHENTICATE AGZyYW5rAHMzY3JldA==",  // "\0frank\0s3cret"
                                      "CAP END"}));
  // Silence: a PING after the quiet spell, then, unanswered, a new connection.
  ASSERT_TRUE(reaches(frank, State::Reconnecting, 3000));
  EXPECT_EQ(fake.heard.back().line.rfind("PING ", 0), 0u);
}

// A server that pings before its welcome, and again behind a backlog of twenty lines: each PING
// is answered at once. The PING that confirms the said lines waits its turn.
TEST(IrcConnection, AnswersPingsAtOnceAndPacesItsOwn) {
  ScriptedServer fake([](QTcpSocket& peer, int, const std::string& line) {
    if (line.rfind("USER ", 0) == 0) peer.write("PING :cookie\r\n");
    if (line == "PONG cookie") ScriptedServer::welcome(peer, "hal");
    if (line == "PRIVMSG #c :line 1 of 20") peer.write("PING :behind\r\n");
  });
  IrcSettings settings = plainSettings(fake.port(), "hal");
  settings.pace = Pace{4, Millis(100)};
  IrcConnection hal(settings);
  for (int i = 1; i <= 20; ++i)
    hal.say(QStringLiteral("#c"), QStringLiteral("line %1 of 20").arg(i));
  hal.open();
  ASSERT_TRUE(reaches(hal, State::Registered, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return fake.lines(1, "PING ").size() == 1; }, 5000));
  const auto index = [&](const std::string& line) {
    const auto lines = fake.lines(1, "");
    return std::find(lines.begin(), lines.end(), line) - lines.begin();
  };
  EXPECT_LT(index("PONG behind"), index("PRIVMSG #c :line 6 of 20"));
  EXPECT_GE(fake.find(1, "PING ")->ms - fake.find(1, "PRIVMSG #c :line 20 of 20")->ms, 50);
  EXPECT_LT(index("PRIVMSG #c :line 20 of 20"), index(fake.lines(1, "PING ").front()));
}

// A server that drops every connection at once: tried again after 1, 2, 4 s; a connection that
// lasted starts the waits anew.
TEST(IrcConnection, WaitsLongerEachTimeAServerDropsItAtOnce) {
  ScriptedServer fake([](QTcpSocket& peer, int, const std::string& line) {
    if (line.rfind("USER ", 0) != 0) return;
    ScriptedServer::welcome(peer, "ivy");
    QTimer::singleShot(700, &peer, [&peer] { peer.close(); });
  });
  fake.onConnect = [](QTcpSocket& peer, int connection) {
    if (connection <= 3) peer.close();
  };
  IrcSettings settings = plainSettings(fake.port(), "ivy");
  settings.settledMs = 500;
  IrcConnection ivy(settings);
  QStringList waits;
  QObject::connect(&ivy, &IrcConnection::stateChanged, [&](State state, const QString& detail) {
    if (state == State::Reconnecting) waits << detail;
  });
  ivy.open();
  EXPECT_TRUE(QTest::qWaitFor([&] { return waits.size() == 4; }, 15000));
  EXPECT_EQ(waits, (QStringList{"1", "2", "4", "1"}));
}

}  // namespace
}  // namespace kestar::irc
